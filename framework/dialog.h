// CDialog: modal and modeless dialog boxes from templates, and AfxMessageBox.
#pragma once
#include "framework/wnd.h"
#include "framework/dialogtexts.h"
#include "framework/string.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Modeless: the window stays until DestroyWindow. Without a parent the
    // dialog has no owner.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL CreateIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd = nullptr);

    // Modal: disables the owner (the parent's top-level window, else the main
    // window) while the dialog's own loop runs; returns EndDialog's value, or
    // -1 when the template is missing or the window cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
    void GotoDlgCtrl(CWnd* pWndCtrl) { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->GetSafeHwnd(), 1); }
    void SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }
    DWORD GetDefID() const { return (DWORD)::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0); }
    void MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

    // The template this object was constructed with (an integer resource name
    // or a string), its help id and the parent given to the constructor.
    LPCSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    BOOL CreateDlgIndirect(LPCDLGTEMPLATEA lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst);
    DECLARE_MESSAGE_MAP()

private:
    CString m_strTemplateName;  // keeps a string template name alive
    BOOL m_bModal = FALSE;
};

// The dialog procedure of every framework dialog: the window procedure of the
// attached object does the work, so this only answers the dialog manager.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);

// Finds and locks a dialog template in AfxGetResourceHandle(); null when missing.
LPCDLGTEMPLATEA AfxLoadDialogTemplate(LPCSTR lpszTemplateName);

// Fills the dialog's combo and list boxes from the template's DLGINIT
// resource (type 240), if it has one. A malformed resource stops the filling
// at the first bad record.
BOOL AfxExecuteDlgInit(HWND hDlg, LPCSTR lpszTemplateName);

// Message box over the application's active window (the main window's last
// active popup, else the thread's active window), captioned with the
// application name. The string-id form falls back to the program's own
// resources when the resource module (a language DLL) lacks the text.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// A string from the resource module, else from the program itself.
CString AfxLoadFrameworkString(UINT nID);
// Replaces %1 and %2 in the text of nIDFormat.
CString AfxFormatString2(UINT nIDFormat, LPCSTR lpsz1, LPCSTR lpsz2);
CString AfxFormatString1(UINT nIDFormat, LPCSTR lpsz1);
// The window a framework dialog or message box is owned by: the top-level
// window of pParent, else the application's main window; null when neither.
HWND AfxGetSafeOwner(CWnd* pParent);
