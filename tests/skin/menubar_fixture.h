// A menu bar whose items are given by the test (fixed sizes and ids), inside a
// parent window of a chosen size, so that layouts can be checked by number.
#pragma once
#include "skin/menubar.h"
#include <vector>

struct FixedItemSpec {
    int width;
    int height;
    UINT id = 1;
    bool rightJustify = false;
};

class CFixedItemsBar : public CSkinMenuBar {
public:
    void SetItems(const std::vector<FixedItemSpec>& specs);
    std::vector<RECT> ItemRects() const;
    std::vector<bool> RowStarts() const;
};

// A popup parent window whose window rectangle has exactly this size, with
// the bar as its child (not shown); both go with the object.
struct BarInParent {
    CWnd parent;
    CFixedItemsBar bar;
    BarInParent(int width, int height, DWORD barStyle);
    ~BarInParent();
};
