// The action-word pages: one column of controls per word (relay 1 and relay
// 2, each with action, egress condition and sensor condition, and the
// registration box). The Reader, Sensor, Egress and Alarm pages show two
// words side by side, Forced entry and Door open too long one.
#pragma once
#include "configtool/ComboControls.h"
#include "configtool/ConfigWords.h"
#include "configtool/Labels.h"
#include "configtool/V_Common.h"

// One word's column: its caption, fields and the condition lists drawn with
// their own pictures.
struct CActionColumn {
    CString caption;
    ConfigWords::ActionFields fields;
    CComboCondition egressRelay1, egressRelay2, sensorRelay1, sensorRelay2;
    int location = 0;
};

class CV_ActionWord1 : public CV_Common {
    DECLARE_DYNAMIC(CV_ActionWord1)
public:
    CV_ActionWord1(UINT templateId, UINT titleId, UINT captionId, int location);

    void ResetPage() override;
    void SavePageToDocument() override;
    void LoadPageFromDocument() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnInitialUpdate() override;
    // The page shows one more word, in the next column.
    void AddColumn(UINT captionId, int location);

    static const int MaxColumns = 2;
    CActionColumn m_columns[MaxColumns];
    int m_nColumns;
    CTitleLabel2 m_labelRelay1, m_labelRelay2, m_labelRegistration;
    DECLARE_MESSAGE_MAP()
};

class CV_ActionWord2 : public CV_ActionWord1 {
    DECLARE_DYNAMIC(CV_ActionWord2)
public:
    CV_ActionWord2(UINT templateId, UINT titleId, UINT caption1Id, UINT caption2Id, int location1, int location2);
};

// The pages, by the words they show.
#define ORIMBEL_PAGE(name, base) \
    class name : public base {   \
        DECLARE_DYNCREATE(name)  \
    public:                      \
        name();                  \
    };
ORIMBEL_PAGE(CV_Reader1, CV_ActionWord2)
ORIMBEL_PAGE(CV_Reader2, CV_ActionWord2)
ORIMBEL_PAGE(CV_Sensors, CV_ActionWord2)
ORIMBEL_PAGE(CV_Egress, CV_ActionWord2)
ORIMBEL_PAGE(CV_Alarm, CV_ActionWord2)
ORIMBEL_PAGE(CV_ForcedEntry, CV_ActionWord1)
ORIMBEL_PAGE(CV_DOTL, CV_ActionWord1)
#undef ORIMBEL_PAGE
