// CDataSourceLocator: the system's Data Link dialog (the OLE DB service
// components' DataLinks object), which builds or edits an ADO connection
// string. Every COM failure comes back as a result with its HRESULT; none
// escapes as an exception.
#pragma once
#include "framework/framework.h"
#include <ole2.h>

struct IDataSourceLocator;

class CDataSourceLocator
{
public:
    // owner may be null; else the dialog is owned by that window.
    explicit CDataSourceLocator(HWND owner);
    virtual ~CDataSourceLocator();
    CDataSourceLocator(const CDataSourceLocator&) = delete;
    CDataSourceLocator& operator=(const CDataSourceLocator&) = delete;

    // A new connection string; FALSE when cancelled or failed (then the
    // string is empty and GetLastResult tells which: S_FALSE is a cancel).
    BOOL PromptNew();
    // Edits the given string; FALSE when cancelled or failed, the string
    // then stays as it was.
    BOOL PromptEdit(const CString& connectionString);
    CString GetConnectionString() const { return m_strConnection; }
    HRESULT GetLastResult() const { return m_hrLast; }

private:
    IDataSourceLocator* m_pLocator;
    CString m_strConnection;
    HRESULT m_hrLast;
};
