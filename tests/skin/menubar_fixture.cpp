#include "menubar_fixture.h"

namespace {
class CFixedItem : public CSkinBarItem {
public:
    explicit CFixedItem(UINT id) : m_nID(id) {}
    void Draw(HWND, HDC) override {}
    HMENU GetPopup(HWND) const override { return nullptr; }
    UINT GetID() const override { return m_nID; }

private:
    UINT m_nID;
};
} // namespace

void CFixedItemsBar::SetItems(const std::vector<FixedItemSpec>& specs)
{
    DeleteItems();
    for (const FixedItemSpec& s : specs) {
        CFixedItem* item = new CFixedItem(s.id);
        item->m_rcItem = {0, 0, s.width, s.height};
        if (s.rightJustify) item->m_nState |= kBarItemRightJustify;
        m_arrItems.push_back(item);
    }
}

std::vector<RECT> CFixedItemsBar::ItemRects() const
{
    std::vector<RECT> rects;
    for (const CSkinBarItem* item : m_arrItems) rects.push_back(item->m_rcItem);
    return rects;
}

std::vector<bool> CFixedItemsBar::RowStarts() const
{
    std::vector<bool> starts;
    for (const CSkinBarItem* item : m_arrItems) starts.push_back((item->m_nState & kBarItemWrap) != 0);
    return starts;
}

BarInParent::BarInParent(int width, int height, DWORD barStyle)
{
    parent.CreateEx(0, AfxDefaultWndClass(), "layout parent", WS_POPUP, 0, 0, width, height, nullptr, nullptr);
    bar.Create(&parent, WS_CHILD | barStyle, 0xE81A);
}

BarInParent::~BarInParent()
{
    if (bar.m_hWnd) bar.DestroyWindow();
    if (parent.m_hWnd) parent.DestroyWindow();
}
