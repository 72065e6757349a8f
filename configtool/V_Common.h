// The base of the configuration pages: a form with a title strip over it
// that shows one or two of the document's words, and the three page
// operations the document and the frame call.
#pragma once
#include "framework/framework.h"

class C_OrimbelDoc;

class CV_Common : public CFormView {
    DECLARE_DYNAMIC(CV_Common)
public:
    CV_Common(UINT templateId, UINT titleId);

    // Puts the page's words back to their defaults and shows them.
    virtual void ResetPage();
    // Packs the controls into the page's words of the document.
    virtual void SavePageToDocument();
    // Shows the document's words in the controls.
    virtual void LoadPageFromDocument();

protected:
    void DoDataExchange(CDataExchange* dx) override {}
    void OnInitialUpdate() override;
    void OnDraw(CDC* dc) override;
    // Every edit of a control is written back into the document at once.
    void OnEdit() { SavePageToDocument(); }
    // The document's word at the location; storing does nothing without a document.
    WORD DocumentWord(int location) const;
    void StoreWord(int location, WORD word);

    UINT m_nTitleId;
    CString m_strTitle;
    CFont m_fontTitle;
    C_OrimbelDoc* m_pDoc;

    static const int TitleHeight = 24;
};

// The page shown at start and for tree items without a page.
class CV_Welcome : public CFormView {
    DECLARE_DYNCREATE(CV_Welcome)
public:
    CV_Welcome();
};
