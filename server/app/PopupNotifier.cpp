#include "server/app/PopupNotifier.h"
#include <utility>
#include <vector>

BEGIN_MESSAGE_MAP(CPopupNotifier, CWnd)
    ON_WM_CREATE()
    ON_WM_MOUSEMOVE()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONUP()
    ON_WM_TIMER()
END_MESSAGE_MAP()

// ---- geometry ----------------------------------------------------------------

bool ComputeNotifierPath(const RECT& work, SIZE screen, SIZE skin, int increment, DWORD timeToShow,
                         DWORD timeToHide, NotifierPath& path)
{
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    int edge;
    if (workWidth < screen.cx)
        edge = work.left == 0 ? NotifierPath::Right : NotifierPath::Left;
    else if (workHeight < screen.cy && work.top != 0)
        edge = NotifierPath::Top;
    else
        edge = NotifierPath::Bottom;

    const bool sideways = edge == NotifierPath::Left || edge == NotifierPath::Right;
    // A skin shorter than one step along the way has no steps to take.
    const int steps = increment > 0 ? (sideways ? skin.cx : skin.cy) / increment : 0;
    if (steps <= 0 || skin.cx <= 0 || skin.cy <= 0)
        return false;

    path.edge = edge;
    path.showStepMs = timeToShow / (DWORD)steps;
    path.hideStepMs = timeToHide / (DWORD)steps;
    switch (edge) {
    case NotifierPath::Right:
        path.start = {work.right, work.bottom - skin.cy};
        path.shown = {work.right - skin.cx, path.start.y};
        break;
    case NotifierPath::Left:
        path.start = {work.left - skin.cx, work.bottom - skin.cy};
        path.shown = {work.left, path.start.y};
        break;
    case NotifierPath::Top:
        path.start = {work.right - skin.cx, work.top - skin.cy};
        path.shown = {path.start.x, work.top};
        break;
    default:
        path.start = {work.right - skin.cx, work.bottom};
        path.shown = {path.start.x, work.bottom - skin.cy};
        break;
    }
    return true;
}

namespace {
int StepCoordinate(int value, int target, int increment)
{
    if (value < target)
        return value + increment < target ? value + increment : target;
    if (value > target)
        return value - increment > target ? value - increment : target;
    return value;
}
} // namespace

bool StepTowards(const NotifierPath& path, POINT& position, POINT target, int increment)
{
    if (path.edge == NotifierPath::Left || path.edge == NotifierPath::Right)
        position.x = StepCoordinate(position.x, target.x, increment);
    else
        position.y = StepCoordinate(position.y, target.y, increment);
    return position.x == target.x && position.y == target.y;
}

bool BuildSkinRegion(HBITMAP skin, COLORREF transparent, CRgn& region)
{
    BITMAP info = {};
    if (skin == nullptr || ::GetObjectA(skin, sizeof info, &info) == 0)
        return false;
    // Rows of whole 32-bit words: 24-bit pixels, width a multiple of 4.
    const int width = info.bmWidth & ~3;
    const int height = info.bmHeight;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels((size_t)width * 3 * height);
    {
        CScreenDC screen;
        if (::GetDIBits(screen.GetSafeHdc(), skin, 0, height, pixels.data(), &format, DIB_RGB_COLORS) != height)
            return false;
    }

    CRgn shape;
    CRgn cut; // one region reused for every run of transparent pixels
    if (!shape.CreateRectRgn(0, 0, width, height) || !cut.CreateRectRgn(0, 0, 0, 0))
        return false;
    const BYTE red = GetRValue(transparent), green = GetGValue(transparent), blue = GetBValue(transparent);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = pixels.data() + (size_t)y * width * 3;
        for (int x = 0; x < width;) {
            auto clear = [&](int px) {
                const BYTE* p = row + px * 3;
                return p[0] == blue && p[1] == green && p[2] == red;
            };
            if (!clear(x)) {
                ++x;
                continue;
            }
            int end = x + 1;
            while (end < width && clear(end))
                ++end;
            cut.SetRectRgn(x, y, end, y + 1);
            shape.CombineRgn(&shape, &cut, RGN_XOR);
            x = end;
        }
    }
    region.Attach(shape.Detach());
    return true;
}

// ---- window ------------------------------------------------------------------

CPopupNotifier::CPopupNotifier()
    : m_pParent(nullptr), m_crNormalText(RGB(133, 146, 181)), m_crHoverText(RGB(10, 36, 106)), m_hCursor(nullptr),
      m_rcText(), m_nSkinWidth(0), m_nSkinHeight(0), m_bMouseOver(false), m_nAnimState(Idle), m_dwTimeToShow(0),
      m_dwTimeToStay(0), m_dwTimeToHide(0), m_ptPosition(), m_nIncrement(2)
{
}

CPopupNotifier::~CPopupNotifier()
{
    DestroyWindow(); // its timers and its copy of the region go with it
}

BOOL CPopupNotifier::Create(CWnd* parent)
{
    m_pParent = parent;
    LPCSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
    return CreateEx(0, cls, nullptr, WS_POPUP, 0, 0, 0, 0, parent ? parent->GetSafeHwnd() : nullptr, nullptr);
}

void CPopupNotifier::MakeFont(CFont& font, const LOGFONTA& base, int style)
{
    LOGFONTA lf = base;
    lf.lfWeight = (style & Bold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style & Italic) ? TRUE : FALSE;
    lf.lfUnderline = (style & Underline) ? TRUE : FALSE;
    font.CreateFontIndirect(&lf);
}

void CPopupNotifier::SetTextFont(LPCSTR face, int tenthsOfPoint, int normalStyle, int hoverStyle)
{
    CFont point;
    LOGFONTA base = {};
    if (!point.CreatePointFont(tenthsOfPoint, face) || point.GetLogFont(&base) == 0)
        return;
    MakeFont(m_fontNormal, base, normalStyle);
    MakeFont(m_fontHover, base, hoverStyle);
}

void CPopupNotifier::SetTextColor(COLORREF normal, COLORREF hover)
{
    m_crNormalText = normal;
    m_crHoverText = hover;
    if (m_hWnd != nullptr)
        RedrawWindow();
}

BOOL CPopupNotifier::SetSkin(UINT bitmapId, int red, int green, int blue)
{
    // The skin shown before goes whether or not the new one loads.
    CBitmap loaded;
    const BOOL ok = loaded.LoadBitmap(bitmapId);
    m_bitmapSkin = std::move(loaded);
    m_nSkinWidth = m_nSkinHeight = 0;
    if (!ok)
        return FALSE;
    BITMAP info = {};
    m_bitmapSkin.GetBitmap(&info);
    m_nSkinWidth = info.bmWidth;
    m_nSkinHeight = info.bmHeight;
    m_rcText = {0, 0, m_nSkinWidth, m_nSkinHeight};
    if (red == -1 || green == -1 || blue == -1)
        return TRUE;

    CRgn region;
    if (BuildSkinRegion(m_bitmapSkin, RGB(red, green, blue), region) && m_hWnd != nullptr) {
        // The window takes a copy: it frees its own when it goes.
        CRgn windowCopy;
        if (windowCopy.CreateRectRgn(0, 0, 0, 0) && windowCopy.CombineRgn(&region, nullptr, RGN_COPY) != ERROR &&
            SetWindowRgn((HRGN)windowCopy.GetSafeHandle(), TRUE))
            windowCopy.Detach();
    }
    m_rgnSkin.Attach(region.Detach());
    return TRUE;
}

void CPopupNotifier::ReadScreen(RECT& workArea, SIZE& screen) const
{
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void CPopupNotifier::MoveTo(POINT position)
{
    SetWindowPos(nullptr, position.x, position.y, m_nSkinWidth, m_nSkinHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CPopupNotifier::Show(LPCSTR text, DWORD timeToShow, DWORD timeToStay, DWORD timeToHide)
{
    RECT work = {};
    SIZE screen = {};
    ReadScreen(work, screen);
    NotifierPath path;
    if (m_hWnd == nullptr ||
        !ComputeNotifierPath(work, screen, {m_nSkinWidth, m_nSkinHeight}, m_nIncrement, timeToShow, timeToHide, path))
        return FALSE;
    m_strCaption = text;
    m_dwTimeToShow = timeToShow;
    m_dwTimeToStay = timeToStay;
    m_dwTimeToHide = timeToHide;

    switch (m_nAnimState) {
    case Idle:
        m_path = path;
        m_ptPosition = path.start;
        MoveTo(m_ptPosition);
        ShowWindow(SW_SHOW);
        SetTimer(AppearTimer, m_path.showStepMs, nullptr);
        break;
    case Appearing:
        RedrawWindow();
        break;
    case Waiting:
        RedrawWindow();
        KillTimer(StayTimer);
        SetTimer(StayTimer, m_dwTimeToStay, nullptr);
        break;
    case Disappearing:
        KillTimer(DisappearTimer);
        SetTimer(StayTimer, m_dwTimeToStay, nullptr);
        m_nAnimState = Waiting;
        m_ptPosition = m_path.shown;
        MoveTo(m_ptPosition);
        RedrawWindow();
        break;
    }
    return TRUE;
}

void CPopupNotifier::Hide()
{
    if (m_hWnd == nullptr)
        return;
    for (UINT_PTR timer : {AppearTimer, StayTimer, DisappearTimer})
        KillTimer(timer);
    MoveWindow(0, 0, 0, 0, TRUE);
    ShowWindow(SW_HIDE);
    m_nAnimState = Idle;
}

void CPopupNotifier::OnTimer(UINT_PTR id)
{
    switch (id) {
    case AppearTimer:
        m_nAnimState = Appearing;
        if (StepTowards(m_path, m_ptPosition, m_path.shown, m_nIncrement)) {
            KillTimer(AppearTimer);
            SetTimer(StayTimer, m_dwTimeToStay, nullptr);
            m_nAnimState = Waiting;
        }
        MoveTo(m_ptPosition);
        break;
    case StayTimer:
        KillTimer(StayTimer);
        SetTimer(DisappearTimer, m_path.hideStepMs, nullptr);
        break;
    case DisappearTimer:
        m_nAnimState = Disappearing;
        if (StepTowards(m_path, m_ptPosition, m_path.start, m_nIncrement)) {
            KillTimer(DisappearTimer);
            Hide();
            return;
        }
        MoveTo(m_ptPosition);
        break;
    }
    CWnd::OnTimer(id);
}

int CPopupNotifier::OnCreate(LPCREATESTRUCTA cs)
{
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    m_hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    return 0;
}

BOOL CPopupNotifier::OnEraseBkgnd(CDC* dc)
{
    if (m_bitmapSkin.GetSafeHandle() == nullptr)
        return CWnd::OnEraseBkgnd(dc);
    CMemoryDC memory(dc->GetSafeHdc(), m_bitmapSkin.GetSafeHandle());
    ::BitBlt(dc->GetSafeHdc(), 0, 0, m_nSkinWidth, m_nSkinHeight, memory.GetSafeHdc(), 0, 0, SRCCOPY);
    return TRUE;
}

void CPopupNotifier::OnPaint()
{
    CPaintDC dc(this);
    CFont& font = m_bMouseOver ? m_fontHover : m_fontNormal;
    CSavedDC saved(dc.GetSafeHdc());
    dc.SetTextColor(m_bMouseOver ? m_crHoverText : m_crNormalText);
    dc.SetBkMode(TRANSPARENT);
    if (font.GetSafeHandle() != nullptr)
        ::SelectObject(dc.GetSafeHdc(), font.GetSafeHandle()); // the saved state puts the old one back
    RECT text = m_rcText;
    ::DrawTextA(dc.GetSafeHdc(), m_strCaption, -1, &text, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS);
}

void CPopupNotifier::OnMouseMove(UINT flags, CPoint point)
{
    TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, m_hWnd, 1};
    ::TrackMouseEvent(&track);
    CWnd::OnMouseMove(flags, point);
}

LRESULT CPopupNotifier::OnMouseHover(WPARAM, LPARAM)
{
    if (!m_bMouseOver) {
        m_bMouseOver = true;
        RedrawWindow();
    }
    return 0;
}

LRESULT CPopupNotifier::OnMouseLeave(WPARAM, LPARAM)
{
    if (m_bMouseOver) {
        m_bMouseOver = false;
        RedrawWindow();
    }
    return 0;
}

BOOL CPopupNotifier::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (hitTest == HTCLIENT) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CWnd::OnSetCursor(wnd, hitTest, message);
}

void CPopupNotifier::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_pParent != nullptr && m_pParent->GetSafeHwnd() != nullptr)
        m_pParent->PostMessage(WM_NOTIFIER_CLICKED, 0, 0);
    CWnd::OnLButtonUp(flags, point);
}
