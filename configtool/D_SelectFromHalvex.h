// The controller picker: lists the controllers of the server's settings file
// ([Controllers] of Halvex.ini) and gives the chosen one's COM port and id.
#pragma once
#include "framework/framework.h"
#include "skin/skindialog.h"

class CD_SelectFromHalvex : public CSkinDialog {
public:
    explicit CD_SelectFromHalvex(CWnd* parent = nullptr);

    // Set before DoModal; read after IDOK.
    CString m_strIniPath;
    int m_nComPort;
    int m_nControllerId;

    // No file, no section or no usable Count gives no rows; a file that
    // cannot be opened leaves the list as it was.
    void LoadServerIni();
    // Entries listed at most, whatever Count says.
    static const int MaxEntries = 255;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnBrowse();

    CListCtrl m_list;
    DECLARE_MESSAGE_MAP()
};
