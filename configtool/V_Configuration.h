// The configuration page: the configuration word (location 496) with its
// master switch, door-open time-out, rollover, relay times and reader LEDs.
#pragma once
#include "configtool/ComboControls.h"
#include "configtool/ConfigWords.h"
#include "configtool/V_Common.h"

class CV_Configuration : public CV_Common {
    DECLARE_DYNCREATE(CV_Configuration)
public:
    CV_Configuration();

    void ResetPage() override;
    void SavePageToDocument() override;
    void LoadPageFromDocument() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnInitialUpdate() override;

    ConfigWords::ConfigurationFields m_fields;
    CComboLEDWhite m_cbReader1Led, m_cbReader2Led;
    int m_nLocation;
    DECLARE_MESSAGE_MAP()
};
