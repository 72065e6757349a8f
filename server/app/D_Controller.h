// Add or edit one controller: its name, COM port and bus address. In edit
// mode only the name can change; in add mode the port and address proposed
// are the ones last added ([DialogAdd] of the settings file).
#pragma once
#include "framework/framework.h"
#include "skin/skindialog.h"
#include <string>

class CD_Controller : public CSkinDialog {
public:
    // port and controllerId are numbers from 1; the lists hold them as index = number - 1.
    CD_Controller(CWnd* parent, BOOL edit, const CString& name, int port, int controllerId);

    // The settings file the add mode reads and writes; the server's own by default.
    void SetSettingsPath(const std::string& path) { m_strSettingsPath = path; }

    int GetPort() const { return m_nPortIndex + 1; }
    int GetControllerId() const { return m_nControllerIndex + 1; }
    const CString& GetName() const { return m_strName; }

    // The exchanged values (list indexes, name).
    CComboBox m_portList;
    int m_nPortIndex;
    CComboBox m_controllerList;
    int m_nControllerIndex;
    CString m_strName;
    BOOL m_bEdit;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSelChangePort();
    DECLARE_MESSAGE_MAP()

private:
    std::string m_strSettingsPath;
};
