#include "configtool/ComboControls.h"
#include "configtool/resource.h"

CComboLED::CComboLED() : CColouredControl(COLOR_BTNTEXT, COLOR_WINDOW), m_crSelection(::GetSysColor(COLOR_HIGHLIGHT)) {
    const UINT ids[] = {IDI_LED_OFF, IDI_LED_OFF_SELECTED, IDI_LED_SPARE1, IDI_LED_ON, IDI_LED_ON_SELECTED,
                        IDI_LED_SPARE2};
    for (UINT id : ids) {
        HICON icon = (HICON)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, PictureWidth,
                                         PictureHeight, 0);
        if (icon) m_icons.push_back({id, icon});
    }
}

CComboLED::~CComboLED() {
    for (auto& entry : m_icons) ::DestroyIcon(entry.second);
}

HICON CComboLED::Picture(UINT id) const {
    for (const auto& entry : m_icons)
        if (entry.first == id) return entry.second;
    return nullptr;
}

void CComboLED::AttachToItem(UINT id, CWnd* parent) {
    SubclassDlgItem(id, parent);
    SendMessage(CB_SETITEMHEIGHT, 0, ItemHeight);
}

void CComboLED::MeasureItem(LPMEASUREITEMSTRUCT item) { item->itemHeight = ItemHeight; }

void CComboLED::DrawItem(LPDRAWITEMSTRUCT item) {
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    CBrush ground(selected ? m_crSelection : m_colours.Ground());
    ::FillRect(item->hDC, &item->rcItem, ground);
    HICON picture = nullptr;
    if (item->itemID == 0) picture = Picture(selected ? IDI_LED_OFF_SELECTED : IDI_LED_OFF);
    else if (item->itemID == 1) picture = Picture(selected ? IDI_LED_ON_SELECTED : IDI_LED_ON);
    if (picture)
        ::DrawStateA(item->hDC, nullptr, nullptr, (LPARAM)picture, 0, item->rcItem.left, item->rcItem.top, PictureWidth,
                     PictureHeight, DST_ICON);
}

BEGIN_MESSAGE_MAP(CComboLED, CColouredControl<CComboBox>)
    ON_WM_MEASUREITEM_REFLECT()
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

CComboLEDWhite::CComboLEDWhite() {
    m_colours.Set(::GetSysColor(COLOR_BTNTEXT), ::GetSysColor(COLOR_WINDOW));
    m_crSelection = ::GetSysColor(COLOR_HIGHLIGHT);
}
