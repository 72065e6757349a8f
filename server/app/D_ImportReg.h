// CD_ImportReg: the file and the period of a registration import. OK only
// with a file that opens; its path is remembered in the settings file.
#pragma once
#include "framework/framework.h"
#include "skin/skindialog.h"

class CD_ImportReg : public CSkinDialog
{
public:
    CD_ImportReg(const CString& iniPath, CWnd* parent = nullptr);

    CString m_strFilePath;
    CTime m_fromDate, m_fromTime, m_toDate, m_toTime;

    // "%04d-%02d-%02d %02d:%02d:%02d" of a date and a time picker's values.
    static CString PeriodText(const CTime& date, const CTime& time);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnBrowse();

    DECLARE_MESSAGE_MAP()

private:
    CString m_strIniPath;
};
