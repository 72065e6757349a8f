// CPropertySheet and CPropertyPage over the system's PropertySheet.
#pragma once
#include "framework/dialog.h"
#include <prsht.h>
#include <vector>

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEA));
    explicit CPropertyPage(LPCSTR lpszTemplateName, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEA));
    // Sets the page up again: template, caption (string id, 0 = the
    // template's own) and the size of the page structure handed to the system.
    void Construct(UINT nIDTemplate, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEA));
    void Construct(LPCSTR lpszTemplateName, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEA));

    // Notifications from the sheet. OnSetActive refreshes the controls (after
    // the first showing); OnKillActive takes the values back and refuses the
    // change of page when they do not validate; OnApply runs OnOK.
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    void OnOK() override {}
    void OnCancel() override {}
    // Enables the sheet's Apply button (when it has one) for this page.
    void SetModified(BOOL bChanged = TRUE);
    CPropertySheet* GetParentSheet() const { return m_pSheet; }

    PROPSHEETPAGEA m_psp = {};
    CString m_strCaption;

protected:
    BOOL OnNotify(WPARAM wp, LPARAM lp, LRESULT* result) override;
    BOOL PreTranslateMessage(MSG*) override { return FALSE; }  // the sheet navigates

private:
    friend class CPropertySheet;
    static UINT CALLBACK PageCallback(HWND, UINT msg, LPPROPSHEETPAGEA psp);
    BOOL m_bFirstSetActive = TRUE;
    CPropertySheet* m_pSheet = nullptr;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void Construct(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    void Construct(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    // Parent and first page, keeping the caption already in m_strCaption.
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    int GetPageCount() const { return (int)m_pages.size(); }
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage) { return SetActivePage(GetPageIndex(pPage)); }
    void SetTitle(LPCSTR lpszText, UINT nStyle = 0);
    void PressButton(int nButton) { ::PostMessageA(m_hWnd, PSM_PRESSBUTTON, (WPARAM)nButton, 0); }

    // Modal: IDOK when the sheet was closed with OK, IDCANCEL otherwise, -1 on
    // failure. The owner (the parent's top-level window, else the main
    // window) is disabled meanwhile.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();

    PROPSHEETHEADERA m_psh = {};
    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;

protected:
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND, UINT msg, LPARAM lp);
    std::vector<CPropertyPage*> m_pages;
    LRESULT m_initResult = FALSE;
    BOOL m_bClosedWithOK = FALSE;
};
