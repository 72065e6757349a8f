// Ids of the framework's own texts (framework/dialogtexts.rc). Plain defines:
// resource scripts include this file too.
#ifndef FRAMEWORK_DIALOGTEXTS_H
#define FRAMEWORK_DIALOGTEXTS_H

// Data-exchange messages; %1 and %2 are the range limits.
#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_REAL 0xF111
#define AFX_IDP_PARSE_INT_RANGE 0xF112
#define AFX_IDP_PARSE_REAL_RANGE 0xF113
#define AFX_IDP_PARSE_STRING_SIZE 0xF114
#define AFX_IDP_PARSE_RADIO_BUTTON 0xF115
#define AFX_IDP_PARSE_BYTE 0xF116
#define AFX_IDP_PARSE_UINT 0xF117
#define AFX_IDP_PARSE_DATETIME 0xF118

// Document loading: the file's contents are not the document's format.
#define AFX_IDP_FAILED_INVALID_FORMAT 0xF119

// Resource type of the combo- and list-box contents of a dialog template.
#define RT_DLGINIT_ID 240

#endif
