// Layout of the menu bar: items in rows that break before an item that would
// pass the available width, right-justified runs at the right end of their
// row, and for a floating bar a search for the wrap width that fits the
// length the user drags.
#include "skin/menubar.h"
#include <algorithm>

namespace {
const int kUnbounded = 32767;   // "as long as it needs"
const int kMaxBarSize = 32512;  // no bar reports more in either direction

int RecordWidth(const CSkinBarItemRecord& r)
{
    return r.rect.right - r.rect.left;
}

int RecordHeight(const CSkinBarItemRecord& r)
{
    return r.rect.bottom - r.rect.top;
}
} // namespace

CSize CSkinMenuBar::CalcFixedLayout(BOOL stretch, BOOL horz)
{
    return CalcLayout((stretch ? LM_STRETCH : 0) | (horz ? LM_HORZ : 0), -1);
}

CSize CSkinMenuBar::CalcDynamicLayout(int length, DWORD mode)
{
    if (length == -1 && !(mode & (LM_MRUWIDTH | LM_COMMIT)) && (mode & (LM_HORZDOCK | LM_VERTDOCK)))
        return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZDOCK) != 0);
    return CalcLayout(mode, length);
}

std::vector<CSkinBarItemRecord> CSkinMenuBar::MakeRecords() const
{
    std::vector<CSkinBarItemRecord> records;
    records.reserve(m_arrItems.size());
    for (const CSkinBarItem* item : m_arrItems) records.push_back({item->m_rcItem, item->m_nState});
    return records;
}

CSize CSkinMenuBar::CalcLayout(DWORD mode, int length)
{
    const BOOL floating = IsFloating();
    if (floating)
        if (CFrameWnd* frame = GetParentFrame())
            ::EnableMenuItem(::GetSystemMenu(frame->m_hWnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    CSize size(0, 0);
    std::vector<CSkinBarItemRecord> records = MakeRecords();
    CSkinBarItemRecord* recs = records.data();
    const int count = (int)records.size();
    if (count > 0 && !(m_dwStyle & CBRS_SIZE_FIXED)) {
        const BOOL dynamic = (m_dwStyle & CBRS_SIZE_DYNAMIC) != 0;
        if (!dynamic && floating) {
            size = CalcItemsSize(recs, count);
            ApplyItemRects(recs, count);
        } else if (dynamic && (mode & LM_MRUWIDTH)) {
            SizeItems(recs, count, m_nMRUWidth, FALSE);
            size = CalcItemsSize(recs, count);
            ApplyItemRects(recs, count);
        } else if (dynamic && (mode & LM_HORZDOCK)) {
            int avail = AvailableLength(TRUE);
            SizeItems(recs, count, avail, FALSE);
            size = CSize(avail, CalcItemsSize(recs, count).cy);
        } else if (dynamic && (mode & LM_VERTDOCK)) {
            SizeItems(recs, count, AvailableLength(FALSE), TRUE);
            CSize s = CalcItemsSize(recs, count);
            size = CSize(s.cy, s.cx);
        } else if (dynamic && length != -1) {
            CRect inside(0, 0, 0, 0);
            CalcInsideRect(inside, (mode & LM_HORZ) != 0);
            BOOL lengthY = (mode & LM_LENGTHY) != 0;
            SizeItems(recs, count, length + (lengthY ? inside.Height() : inside.Width()), lengthY);
            size = CalcItemsSize(recs, count);
        } else if (dynamic && floating) {
            SizeItems(recs, count, m_nMRUWidth, FALSE);
            size = CalcItemsSize(recs, count);
        } else {
            BOOL horz = (mode & LM_HORZ) != 0;
            SizeItems(recs, count, AvailableLength(horz), !horz);
            size = CalcItemsSize(recs, count);
            ApplyItemRects(recs, count);
            size = horz ? CSize(kUnbounded, size.cy) : CSize(size.cy, kUnbounded);
        }
    }
    if (mode & LM_COMMIT) {
        if (floating && (m_dwStyle & CBRS_SIZE_DYNAMIC)) m_nMRUWidth = size.cx;
        ApplyItemRects(recs, count);
    }
    CRect inside(0, 0, 0, 0);
    CalcInsideRect(inside, (mode & LM_HORZ) != 0);
    size.cx += inside.left - inside.right;
    size.cy += inside.top - inside.bottom;
    CSize least = CControlBar::CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
    size.cx = std::min<LONG>(std::max(size.cx, least.cx), kMaxBarSize);
    size.cy = std::min<LONG>(std::max(size.cy, least.cy), kMaxBarSize);
    return size;
}

int CSkinMenuBar::AvailableLength(BOOL horizontal) const
{
    if (!(m_dwStyle & CBRS_SIZE_DYNAMIC)) {
        CRect client;
        GetClientRect(&client);
        return horizontal ? client.Width() : client.Height();
    }
    CRect ref(0, 0, 0, 0);
    const MSG* current = GetCurrentMessage();
    if (IsFloating())
        ::GetWindowRect(TopFrameWindow(), &ref);
    else if (current->message == WM_SIZEPARENT && current->hwnd == m_hWnd && current->lParam)
        ref = ((const AFX_SIZEPARENTPARAMS*)current->lParam)->rect;
    else
        ::GetWindowRect(::GetParent(m_hWnd), &ref);
    int frame = 2 * ::GetSystemMetrics(horizontal ? SM_CXFRAME : SM_CYFRAME);
    int gripper = (m_dwStyle & CBRS_GRIPPER) ? 7 : 0;
    return (horizontal ? ref.Width() : ref.Height()) - (m_cxLeftBorder + m_cxRightBorder + frame + gripper);
}

int CSkinMenuBar::WrapItems(CSkinBarItemRecord* records, int count, int width)
{
    int x = 0, rowTop = 0, lowest = 0, rows = 0, rightStart = -1;
    for (int i = 0; i < count; ++i) {
        CSkinBarItemRecord& r = records[i];
        r.state &= ~kBarItemWrap;
        const int w = RecordWidth(r), h = RecordHeight(r);
        if (x > 0 && x + w > width) {
            if (rightStart >= 0) {
                // The right-justified run goes on in the next row.
                AlignRowRight(records, rightStart, i - 1, width);
                rightStart = i;
            }
            r.state |= kBarItemWrap;
            x = 0;
            rowTop = lowest;
            ++rows;
        }
        r.rect = {x, rowTop, x + w, rowTop + h};
        x += w;
        lowest = std::max(lowest, (int)r.rect.bottom);
        if (rightStart < 0 && (r.state & kBarItemRightJustify)) rightStart = i;
    }
    AlignRowRight(records, rightStart, count - 1, width);
    return rows + 1;
}

CSize CSkinMenuBar::CalcItemsSize(const CSkinBarItemRecord* records, int count) const
{
    int width = 0, height = 0, rowExtent = 0, rowTop = 0;
    for (int i = 0; i < count; ++i) {
        if (records[i].state & kBarItemWrap) {
            rowExtent = 0;
            rowTop = height;
        }
        rowExtent += RecordWidth(records[i]);
        width = std::max(width, rowExtent);
        height = std::max(height, rowTop + RecordHeight(records[i]));
    }
    return CSize(width, height);
}

void CSkinMenuBar::AlignRowRight(CSkinBarItemRecord* records, int first, int last, int width)
{
    if (width <= 0 || first < 0 || last < first) return;
    int shift = width - records[last].rect.right;
    for (int i = first; i <= last; ++i) ::OffsetRect(&records[i].rect, shift, 0);
}

// Docked: rows at the given width. Floating: the width whose layout fits the
// length the user drags (a width, or a height when the user drags the top or
// bottom edge), found by halving between one item per row and a single row.
void CSkinMenuBar::SizeItems(CSkinBarItemRecord* records, int count, int length, BOOL vertical)
{
    if (!IsFloating()) {
        WrapItems(records, count, length);
        return;
    }
    WrapItems(records, count, 0);
    CSize least = CalcItemsSize(records, count);
    WrapItems(records, count, kUnbounded);
    CSize most = CalcItemsSize(records, count);
    while (least.cx < most.cx) {
        int mid = (least.cx + most.cx) / 2;
        WrapItems(records, count, mid);
        CSize s = CalcItemsSize(records, count);
        if (s.cx == most.cx) break;
        // A wider layout is lower: a dragged height asks for a narrower one
        // when the widest candidate is still lower than the height.
        BOOL narrower = vertical ? length > most.cy : length < most.cx;
        if (narrower) {
            most = s;
        } else if (s == least) {
            break;
        } else {
            least = s;
        }
    }
    // The rows of the chosen layout, right-justified runs aligned at its own
    // width (not at the unbounded width of the last trial).
    WrapItems(records, count, most.cx);
}

void CSkinMenuBar::ApplyItemRects(const CSkinBarItemRecord* records, int count)
{
    for (int i = 0; i < count && i < (int)m_arrItems.size(); ++i) {
        m_arrItems[i]->m_rcItem = records[i].rect;
        m_arrItems[i]->m_nState = records[i].state;
    }
    if (m_hWnd) Invalidate(TRUE);
}
