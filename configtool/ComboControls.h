// The coloured and owner-drawn combo boxes of the pages: the condition lists
// on the information-tip colour, and the LED lists drawn as pictures.
#pragma once
#include "framework/framework.h"
#include "configtool/ControlColours.h"
#include <vector>

// Egress and sensor condition lists: text on the information-tip background.
class CComboCondition : public CColouredControl<CComboBox> {
public:
    CComboCondition() : CColouredControl(COLOR_BTNTEXT, COLOR_INFOBK) {}
};

// An owner-drawn list of LED states: item 0 and item 1 are pictures, drawn
// over the selection colour when selected, else over the window colour.
class CComboLED : public CColouredControl<CComboBox> {
public:
    CComboLED();
    ~CComboLED() override;
    // The dialog manager measures a fixed owner-drawn combo before it is
    // attached: the item height is set again here.
    void AttachToItem(UINT id, CWnd* parent);
    void MeasureItem(LPMEASUREITEMSTRUCT item);
    void DrawItem(LPDRAWITEMSTRUCT item);
    DECLARE_MESSAGE_MAP()

    static const int ItemHeight = 18;
    static const int PictureWidth = 64, PictureHeight = 16;

protected:
    COLORREF m_crSelection;

private:
    // The pictures by resource id, owned here.
    HICON Picture(UINT id) const;
    std::vector<std::pair<UINT, HICON>> m_icons;
};

// The LED lists of the configuration page, in the window colours.
class CComboLEDWhite : public CComboLED {
public:
    CComboLEDWhite();
};
