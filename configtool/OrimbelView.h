// The view class of the document template. The frame fills its client area
// with the page tree and the pages itself, so no object of it is shown.
#pragma once
#include "framework/framework.h"

class C_OrimbelView : public CView {
    DECLARE_DYNCREATE(C_OrimbelView)
public:
    void OnDraw(CDC*) override {}
};
