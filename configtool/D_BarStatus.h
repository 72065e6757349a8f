// The status bar of the main window: picks the controller the commands
// address (COM port and controller, 1 to 254 each) and shows its last status.
#pragma once
#include "framework/framework.h"
#include "configtool/Labels.h"
#include "configtool/ServerProtocol.h"
#include "configtool/SkinDialogBar.h"

class CD_BarStatus : public CSkinDialogBar {
public:
    CD_BarStatus();

    // Creates the bar from its template, attaches the labels, fills the lists.
    BOOL CreateBar(CWnd* parent, UINT style, UINT id);
    void FillCombos();
    // Controls from the fields, then the whole bar repainted.
    void Refresh();
    void SetStatus(const ServerProtocol::CStatusTexts& status);
    // Zero-based indexes: COM port and controller id less one. An index
    // outside the lists leaves that list without a selection.
    void SelectController(int comPortIndex, int controllerIndex);
    int ComPortIndex() const { return m_nComPortIndex; }
    int ControllerIndex() const { return m_nControllerIndex; }

    static const int Highest = 254;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnSelectionChange();

    CString m_strDevice, m_strVersion, m_strDate, m_strTime;
    CComboBox m_cbComPort, m_cbController;
    int m_nComPortIndex, m_nControllerIndex;
    CTransparentLabel m_labels[10];
    DECLARE_MESSAGE_MAP()
};
