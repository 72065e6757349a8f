// The tree of pages on the left: choosing an item shows its page on the right.
#pragma once
#include "framework/framework.h"

class CV_Left : public CTreeView {
    DECLARE_DYNCREATE(CV_Left)
public:
    CV_Left();

    // The page class an item's data value stands for: the welcome page for
    // any value without a page.
    static CRuntimeClass* PageOfItemData(DWORD_PTR data);

protected:
    void OnInitialUpdate() override;
    void OnSelChanged(NMHDR* hdr, LRESULT* result);
    void ShowPage(CRuntimeClass* pageClass);

    CImageList m_images;
    DECLARE_MESSAGE_MAP()
};
