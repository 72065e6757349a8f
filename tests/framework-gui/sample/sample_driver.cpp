// Scripted driver of the sample program: on a timer of the GUI thread it posts
// commands, keys and button presses, then reads the windows back, writing one
// line per check ("PASS name", "FAIL name: detail") into <folder>\report.txt.
// Every action that may open a modal loop is posted, so a tick never blocks;
// the timer keeps ticking inside menus, dialogs and message boxes.
#include "sample.h"
#include "screen_png.h"
#include <cstdio>
#include <string>
#include <vector>

namespace {

enum StepResult { kNext, kWait };

class Driver {
public:
    explicit Driver(const CString& folder);
    void Tick();

private:
    // One step of the script: run on every tick until it returns kNext,
    // keeping its progress in `phase`; the checks it reports, by name.
    struct Step {
        const char* name;
        StepResult (Driver::*run)(int& phase);
        std::vector<const char*> checks;
    };
    static const std::vector<Step> kScript;

    CString m_folder;
    FILE* m_report = nullptr;
    size_t m_current = 0;
    int m_phase = 0;
    DWORD m_phaseStart = 0;
    bool m_busy = false;
    // Values kept between phases and steps.
    int m_idleBefore = 0;
    std::vector<CString> m_saved;
    int m_savedCount = 0;

    void Line(const char* kind, const char* name, const std::string& detail = std::string());
    void Check(const char* name, bool ok, const std::string& detail = std::string());

    StepResult StartupStep(int& phase);
    StepResult LayoutStep(int& phase);
    StepResult RouteStep(int& phase);
    StepResult DisabledStep(int& phase);
    StepResult UpdateStep(int& phase);
    StepResult IdleStep(int& phase);
    StepResult PromptsStep(int& phase);
    StepResult DialogStep(int& phase);
    StepResult SheetStep(int& phase);
    StepResult SaveStep(int& phase);
    StepResult BarsStep(int& phase);
    StepResult ScreenshotStep(int& phase);
    StepResult CloseStep(int& phase);
    // The message box owned by owner, if one is open: checks its text and
    // presses the button. False while there is none.
    bool AnswerBox(HWND owner, const char* check, const char* expected, UINT button);
    CString Path(LPCSTR file) const { return m_folder + "\\" + file; }
};

Driver* g_driver = nullptr;

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_driver) g_driver->Tick();
}

// ---- reading the windows ---------------------------------------------------

CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(SampleApp()->m_pMainWnd); }
CSampleView* View() { return Frame() ? dynamic_cast<CSampleView*>(Frame()->GetActiveView()) : nullptr; }
CSampleDoc* Doc() { return ActiveSampleDoc(); }

std::string Text(HWND h) {
    char buf[1024] = "";
    if (h) GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

std::string PaneText(int pane) {
    HWND bar = Frame()->m_wndStatusBar.GetSafeHwnd();
    char buf[512] = "";
    LRESULT len = SendMessageA(bar, SB_GETTEXTLENGTHA, pane, 0);
    if (LOWORD(len) < sizeof buf) SendMessageA(bar, SB_GETTEXTA, pane, (LPARAM)buf);
    return buf;
}

bool ButtonEnabled(UINT id) {
    return SendMessageA(Frame()->m_wndToolBar.GetSafeHwnd(), TB_ISBUTTONENABLED, id, 0) != 0;
}
bool ButtonChecked(UINT id) {
    return SendMessageA(Frame()->m_wndToolBar.GetSafeHwnd(), TB_ISBUTTONCHECKED, id, 0) != 0;
}

HMENU Popup(int index) { return GetSubMenu(GetMenu(Frame()->GetSafeHwnd()), index); }
UINT ItemState(int popup, UINT id) { return GetMenuState(Popup(popup), id, MF_BYCOMMAND); }

// A visible top-level window of this thread, by caption or by owner and class.
struct FindArgs {
    const char* caption;
    HWND owner;
    const char* className;
    HWND found;
};
BOOL CALLBACK FindProc(HWND h, LPARAM lp) {
    FindArgs* a = (FindArgs*)lp;
    if (!IsWindowVisible(h)) return TRUE;
    char cls[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    if (a->className && lstrcmpiA(cls, a->className) != 0) return TRUE;
    if (a->caption && Text(h) != a->caption) return TRUE;
    if (a->owner && GetWindow(h, GW_OWNER) != a->owner) return TRUE;
    a->found = h;
    return FALSE;
}
HWND FindWindowByCaption(const char* caption) {
    FindArgs a = {caption, nullptr, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindProc, (LPARAM)&a);
    return a.found;
}
HWND FindMessageBox(HWND owner) {
    FindArgs a = {nullptr, owner, "#32770", nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindProc, (LPARAM)&a);
    return a.found;
}
HWND OpenPopupMenu() {
    FindArgs a = {nullptr, nullptr, "#32768", nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindProc, (LPARAM)&a);
    return a.found;
}
// The texts of a message box (its static controls), joined.
std::string BoxText(HWND box) {
    std::string all;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") == 0) all += Text(c) + " ";
    }
    return all;
}

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// Dark pixels on the toolbar: neither its face, its images nor its edges are
// dark, so they are what an unerased background leaves behind (text of a
// window that lay there before).
int ToolbarStrayPixels() {
    CToolBar& bar = Frame()->m_wndToolBar;
    RECT client;
    bar.GetClientRect(&client);
    HDC dc = GetDC(bar.GetSafeHwnd());
    int stray = 0;
    for (int y = client.top; y < client.bottom; ++y)
        for (int x = client.left; x < client.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 60) ++stray;
        }
    ReleaseDC(bar.GetSafeHwnd(), dc);
    return stray;
}

// ---- acting ------------------------------------------------------------------

void PostCommand(UINT id) { PostMessageA(Frame()->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
void PostKey(HWND target, UINT vk) {
    UINT scan = MapVirtualKeyA(vk, 0);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
}
void PostButton(HWND dlg, UINT id) { PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

RECT ChildRect(HWND parent, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, (LPPOINT)&r, 2);
    return r;
}

std::string Describe(const RECT& r) {
    char b[64];
    wsprintfA(b, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return b;
}

bool SameBytes(const CString& a, const CString& b, std::string& why) {
    auto read = [](const CString& p, std::vector<char>& out) {
        FILE* f = fopen(p, "rb");
        if (!f) return false;
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
        fclose(f);
        return true;
    };
    std::vector<char> x, y;
    if (!read(a, x) || !read(b, y)) {
        why = "a file is missing";
        return false;
    }
    why = std::to_string(x.size()) + " and " + std::to_string(y.size()) + " bytes";
    return !x.empty() && x == y;
}

// ---- the script ------------------------------------------------------------------

Driver::Driver(const CString& folder) : m_folder(folder) {
    m_report = fopen(Path("report.txt"), "w");
    // The plan first: "STEP name: check check ...".
    for (const Step& step : kScript) {
        std::string checks;
        for (const char* check : step.checks) checks += (checks.empty() ? "" : " ") + std::string(check);
        Line("STEP", step.name, checks);
    }
    m_phaseStart = GetTickCount();
}

void Driver::Line(const char* kind, const char* name, const std::string& detail) {
    if (!m_report) return;
    fprintf(m_report, "%s %s%s%s\n", kind, name, detail.empty() ? "" : ": ", detail.c_str());
    fflush(m_report);
}

void Driver::Check(const char* name, bool ok, const std::string& detail) { Line(ok ? "PASS" : "FAIL", name, detail); }

void Driver::Tick() {
    if (m_busy || m_current >= kScript.size()) return;
    m_busy = true;
    const Step& step = kScript[m_current];
    int phase = m_phase;
    StepResult r = (this->*step.run)(phase);
    if (r == kNext || phase != m_phase) m_phaseStart = GetTickCount();
    m_phase = phase;
    if (r == kNext) {
        Line("DONE", step.name);
        ++m_current;
        m_phase = 0;
        // Written before the program can end: the last step's answer is only posted.
        if (m_current == kScript.size()) Line("END", "script");
    } else if (GetTickCount() - m_phaseStart > 15000) {
        Line("FAIL", step.name, "timed out in phase " + std::to_string(m_phase));
        // Leave whatever modal state the step was in, then go on.
        EndMenu();
        for (HWND h; (h = FindMessageBox(nullptr)) != nullptr && h != Frame()->GetSafeHwnd();) {
            PostButton(h, IDCANCEL);
            break;
        }
        ++m_current;
        m_phase = 0;
        m_phaseStart = GetTickCount();
    }
    m_busy = false;
}

bool Driver::AnswerBox(HWND owner, const char* check, const char* expected, UINT button) {
    HWND box = FindMessageBox(owner);
    if (!box) return false;
    Check(check, Contains(BoxText(box), expected), BoxText(box));
    PostButton(box, button);
    return true;
}

// Startup: the frame is shown and idle processing has run.
StepResult Driver::StartupStep(int&) {
    if (!Frame() || !Frame()->IsWindowVisible() || Frame()->m_idleUpdates == 0) return kWait;
    Check("prompt.idle", PaneText(0) == "Sample ready", PaneText(0));
    Check("title.document", Text(Frame()->GetSafeHwnd()) == "Untitled - Sample", Text(Frame()->GetSafeHwnd()));
    return kNext;
}

// Bars along the top and bottom, the form view between, tree and list in it.
StepResult Driver::LayoutStep(int&) {
    HWND frame = Frame()->GetSafeHwnd();
    RECT client;
    GetClientRect(frame, &client);
    RECT tb = ChildRect(frame, Frame()->m_wndToolBar.GetSafeHwnd());
    RECT sb = ChildRect(frame, Frame()->m_wndStatusBar.GetSafeHwnd());
    RECT view = ChildRect(frame, View()->GetSafeHwnd());
    std::string all = "client " + Describe(client) + " toolbar " + Describe(tb) + " view " + Describe(view) +
                      " status " + Describe(sb);
    Check("layout.bars", tb.top == 0 && tb.left == 0 && tb.right == client.right && tb.bottom - tb.top >= 22 &&
                             sb.bottom == client.bottom && sb.left == 0 && sb.right == client.right &&
                             sb.bottom - sb.top >= 16,
          all);
    Check("layout.view", view.top == tb.bottom && view.bottom == sb.top && view.left == 0 &&
                             view.right == client.right,
          all);
    HWND v = View()->GetSafeHwnd();
    RECT vc, tree = ChildRect(v, View()->m_tree.GetSafeHwnd()), list = ChildRect(v, View()->m_list.GetSafeHwnd());
    GetClientRect(v, &vc);
    Check("layout.form", tree.left >= 0 && tree.right <= list.left && list.right <= vc.right &&
                             tree.bottom <= vc.bottom && list.bottom <= vc.bottom && tree.right - tree.left > 50 &&
                             list.right - list.left > 100 && tree.bottom - tree.top > 50,
          "view " + Describe(vc) + " tree " + Describe(tree) + " list " + Describe(list));
    Check("toolbar.buttons", Frame()->m_wndToolBar.GetCount() == 6 &&
                                 Frame()->m_wndToolBar.GetItemID(2) == ID_SEPARATOR &&
                                 Frame()->m_wndToolBar.GetItemID(3) == ID_LOCKED_CMD);
    return kNext;
}

// A routed command passes view, document, frame and application in turn,
// posted and through its accelerator.
StepResult Driver::RouteStep(int& phase) {
    CSampleApp* app = SampleApp();
    switch (phase) {
    case 0:
        app->m_route.Empty();
        PostCommand(ID_ROUTE_CHAIN);
        phase = 1;
        return kWait;
    case 1:
        if (app->m_route.Find("app") < 0) return kWait;
        Check("route.posted", app->m_route == "view,doc,frame,app", (LPCSTR)app->m_route);
        app->m_route.Empty();
        PostKey(View()->m_tree.GetSafeHwnd(), VK_F6);
        phase = 2;
        return kWait;
    default:
        if (app->m_route.Find("app") < 0) return kWait;
        Check("route.accelerator", app->m_route == "view,doc,frame,app", (LPCSTR)app->m_route);
        return kNext;
    }
}

// A disabled command goes nowhere: posted, accelerator, toolbar, menu.
StepResult Driver::DisabledStep(int& phase) {
    CSampleApp* app = SampleApp();
    HWND frame = Frame()->GetSafeHwnd();
    switch (phase) {
    case 0:
        app->m_locked = TRUE;
        app->m_lockedRuns = 0;
        PostCommand(ID_LOCKED_CMD);
        PostKey(View()->m_tree.GetSafeHwnd(), VK_F7);
        PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_LOCKED_CMD, BN_CLICKED),
                     (LPARAM)Frame()->m_wndToolBar.GetSafeHwnd());
        PostMessageA(frame, WM_NULL, 0, 0);
        phase = 1;
        return kWait;
    case 1:
        Check("disabled.posted.accelerator.toolbar", app->m_lockedRuns == 0, std::to_string(app->m_lockedRuns));
        // Open the Commands menu from the keyboard.
        PostMessageA(frame, WM_SYSCOMMAND, SC_KEYMENU, 'c');
        phase = 2;
        return kWait;
    case 2: {
        if (!OpenPopupMenu()) return kWait;
        UINT locked = ItemState(1, ID_LOCKED_CMD), none = ItemState(1, ID_NO_HANDLER);
        UINT remove = ItemState(1, ID_ITEM_REMOVE), route = ItemState(1, ID_ROUTE_CHAIN);
        Check("menu.update.disabled", (locked & MF_GRAYED) != 0, std::to_string(locked));
        Check("menu.update.nohandler", (none & MF_GRAYED) != 0, std::to_string(none));
        Check("menu.update.handler", (remove & MF_GRAYED) != 0 && (route & MF_GRAYED) == 0,
              std::to_string(remove) + " " + std::to_string(route));
        Line("INFO", "menu.prompt", PaneText(0));
        // The item's mnemonic: a grayed item does not run and the menu stays.
        PostMessageA(frame, WM_CHAR, 'l', 1);
        phase = 3;
        return kWait;
    }
    case 3:
        // The key has been handled once the menu closed (or after a while
        // when it stays open, as some systems keep it).
        if (OpenPopupMenu() && GetTickCount() - m_phaseStart < 500) return kWait;
        Check("disabled.menu", app->m_lockedRuns == 0, std::to_string(app->m_lockedRuns));
        PostKey(frame, VK_ESCAPE);
        PostKey(frame, VK_ESCAPE);
        phase = 4;
        return kWait;
    case 4:
        if (OpenPopupMenu()) return kWait;
        phase = 5;
        return kWait;
    case 5:
        Check("prompt.menu.closed", PaneText(0) == "Sample ready", PaneText(0));
        app->m_locked = FALSE;
        PostMessageA(frame, WM_SYSCOMMAND, SC_KEYMENU, 'c');
        phase = 6;
        return kWait;
    case 6:
        if (!OpenPopupMenu()) return kWait;
        Check("menu.update.enabled", (ItemState(1, ID_LOCKED_CMD) & MF_GRAYED) == 0);
        PostMessageA(frame, WM_CHAR, 'l', 1);
        phase = 7;
        return kWait;
    case 7:
        if (app->m_lockedRuns < 1 || OpenPopupMenu()) return kWait;
        Check("enabled.menu", app->m_lockedRuns == 1, std::to_string(app->m_lockedRuns));
        PostCommand(ID_LOCKED_CMD);
        PostKey(View()->m_tree.GetSafeHwnd(), VK_F7);
        PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ID_LOCKED_CMD, BN_CLICKED),
                     (LPARAM)Frame()->m_wndToolBar.GetSafeHwnd());
        phase = 8;
        return kWait;
    default:
        if (app->m_lockedRuns < 4) return kWait;
        Check("enabled.posted.accelerator.toolbar", app->m_lockedRuns == 4, std::to_string(app->m_lockedRuns));
        app->m_locked = TRUE;
        return kNext;
    }
}

// Update handlers set check marks in menus and, at idle, on the toolbar.
StepResult Driver::UpdateStep(int& phase) {
    HWND frame = Frame()->GetSafeHwnd();
    switch (phase) {
    case 0:
        Doc()->m_grid = TRUE;
        SendMessageA(frame, WM_INITMENUPOPUP, (WPARAM)Popup(2), MAKELPARAM(2, FALSE));
        Check("menu.update.checked", (ItemState(2, ID_VIEW_GRID) & MF_CHECKED) != 0 &&
                                         (ItemState(2, ID_VIEW_TOOLBAR) & MF_CHECKED) != 0);
        phase = 1;
        return kWait;
    case 1:
        if (!ButtonChecked(ID_VIEW_GRID)) return kWait;
        Check("toolbar.update.checked", true);
        Check("toolbar.update.disabled", !ButtonEnabled(ID_LOCKED_CMD) && !ButtonEnabled(ID_ITEM_REMOVE) &&
                                             ButtonEnabled(ID_ITEM_ADD));
        Doc()->m_grid = FALSE;
        phase = 2;
        return kWait;
    default:
        if (ButtonChecked(ID_VIEW_GRID)) return kWait;
        SendMessageA(frame, WM_INITMENUPOPUP, (WPARAM)Popup(2), MAKELPARAM(2, FALSE));
        Check("menu.update.unchecked", (ItemState(2, ID_VIEW_GRID) & MF_CHECKED) == 0);
        return kNext;
    }
}

// A change made without any message shows on the bars at the next idle time.
StepResult Driver::IdleStep(int& phase) {
    if (phase == 0) {
        m_idleBefore = Frame()->m_idleUpdates;
        Doc()->AddItem("First");
        phase = 1;
        return kWait;
    }
    if (!ButtonEnabled(ID_ITEM_REMOVE) || PaneText(1) != "Items: 1") return kWait;
    Check("idle.update", Frame()->m_idleUpdates > m_idleBefore,
          std::to_string(m_idleBefore) + " -> " + std::to_string(Frame()->m_idleUpdates));
    Check("view.update", View()->m_list.GetItemCount() == 1 && View()->m_tree.GetCount() == 2 &&
                             View()->m_list.GetItemText(0, 0) == "First");
    return kNext;
}

// Prompts in pane 0 come from the string table; tooltips from after "\n".
StepResult Driver::PromptsStep(int&) {
    HWND frame = Frame()->GetSafeHwnd();
    SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(ID_ITEM_ADD, MF_STRING | MF_HILITE), (LPARAM)Popup(1));
    Check("prompt.menuselect", PaneText(0) == "Adds an item to the document", PaneText(0));
    SendMessageA(frame, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    Check("prompt.idle.again", PaneText(0) == "Sample ready", PaneText(0));
    NMTTDISPINFOA tip = {};
    tip.hdr.hwndFrom = frame;
    tip.hdr.idFrom = ID_ITEM_ADD;
    tip.hdr.code = TTN_GETDISPINFOA;
    SendMessageA(frame, WM_NOTIFY, ID_ITEM_ADD, (LPARAM)&tip);
    Check("prompt.tooltip", tip.lpszText && std::string(tip.lpszText) == "Add item");
    return kNext;
}

// Modal dialog: values in, a range error keeps it open, values out.
StepResult Driver::DialogStep(int& phase) {
    static HWND dlg;
    switch (phase) {
    case 0:
        PostCommand(ID_EDIT_SETTINGS);
        phase = 1;
        return kWait;
    case 1: {
        dlg = FindWindowByCaption("Settings");
        if (!dlg) return kWait;
        Check("ddx.load", Text(GetDlgItem(dlg, IDC_COUNT)) == "7" && Text(GetDlgItem(dlg, IDC_NAME)) == "North" &&
                              IsDlgButtonChecked(dlg, IDC_ENABLED) == BST_CHECKED,
              Text(GetDlgItem(dlg, IDC_COUNT)) + "/" + Text(GetDlgItem(dlg, IDC_NAME)));
        Check("dialog.owner", GetWindow(dlg, GW_OWNER) == Frame()->GetSafeHwnd() &&
                                  !Frame()->IsWindowEnabled());
        SetDlgItemTextA(dlg, IDC_COUNT, "500");
        PostButton(dlg, IDOK);
        phase = 2;
        return kWait;
    }
    case 2:
        if (AnswerBox(dlg, "ddv.message", "between 1 and 100", IDOK)) phase = 3;
        return kWait;
    case 3:
        if (FindMessageBox(dlg)) return kWait;
        Check("ddv.keeps.dialog", IsWindow(dlg) && IsWindowVisible(dlg) && Doc()->m_count == 7);
        Check("ddv.focus", GetFocus() == GetDlgItem(dlg, IDC_COUNT));
        SetDlgItemTextA(dlg, IDC_COUNT, "42");
        SetDlgItemTextA(dlg, IDC_NAME, "South");
        CheckDlgButton(dlg, IDC_ENABLED, BST_UNCHECKED);
        PostButton(dlg, IDOK);
        phase = 4;
        return kWait;
    default:
        if (IsWindow(dlg)) return kWait;
        Check("ddx.save", Doc()->m_count == 42 && Doc()->m_name == "South" && !Doc()->m_enabled &&
                              Doc()->IsModified(),
              std::to_string(Doc()->m_count) + "/" + (LPCSTR)Doc()->m_name);
        Check("dialog.owner.enabled", Frame()->IsWindowEnabled() != FALSE);
        return kNext;
    }
}

// Property sheet: a page's range error keeps the page; OK takes every page.
StepResult Driver::SheetStep(int& phase) {
    static HWND sheet;
    HWND page = sheet ? (HWND)SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) : nullptr;
    switch (phase) {
    case 0:
        sheet = nullptr;
        PostCommand(ID_EDIT_OPTIONS);
        phase = 1;
        return kWait;
    case 1:
        sheet = FindWindowByCaption("Options");
        if (!sheet) return kWait;
        page = (HWND)SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        Check("sheet.load", Text(GetDlgItem(page, IDC_PORT)) == "3", Text(GetDlgItem(page, IDC_PORT)));
        SetDlgItemTextA(page, IDC_PORT, "99");
        PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
        phase = 2;
        return kWait;
    case 2:
        if (AnswerBox(sheet, "sheet.ddv.message", "between 1 and 16", IDOK)) phase = 3;
        return kWait;
    case 3:
        if (FindMessageBox(sheet)) return kWait;
        Check("sheet.ddv.keeps.page", page && GetDlgItem(page, IDC_PORT) != nullptr);
        SetDlgItemTextA(page, IDC_PORT, "9");
        PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
        phase = 4;
        return kWait;
    case 4:
        if (!page || !GetDlgItem(page, IDC_GRID)) return kWait;
        Check("sheet.second.page", IsDlgButtonChecked(page, IDC_GRID) == BST_UNCHECKED);
        CheckDlgButton(page, IDC_GRID, BST_CHECKED);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        phase = 5;
        return kWait;
    default:
        if (IsWindow(sheet)) return kWait;
        Check("sheet.save", Doc()->m_port == 9 && Doc()->m_grid,
              std::to_string(Doc()->m_port) + "/" + std::to_string(Doc()->m_grid));
        return kNext;
    }
}

// Saved, reopened through the template, saved again: the same bytes.
StepResult Driver::SaveStep(int&) {
    CSampleDoc* doc = Doc();
    doc->AddItem("Second");
    doc->AddItem(CString('x', 300));  // a length prefix beyond one byte
    doc->AddItem("caf\xE9 \x01\x7F end");
    CString first = Path("saved1.smp"), second = Path("saved2.smp");
    Check("save.first", doc->DoSave(first) && !doc->IsModified());
    m_saved = doc->m_items;
    m_savedCount = doc->m_count;
    doc->m_items.clear();
    doc->m_count = 0;
    CDocument* reopened = SampleApp()->OpenDocumentFile(first);
    Check("open.same.document", reopened == doc && !doc->IsModified());
    Check("open.contents", doc->m_items == m_saved && doc->m_count == m_savedCount && doc->m_name == "South" &&
                               doc->m_port == 9 && doc->m_grid && !doc->m_enabled,
          std::to_string(doc->m_items.size()) + " items");
    Check("open.view", View()->m_list.GetItemCount() == (int)m_saved.size() &&
                           View()->m_tree.GetCount() == m_saved.size() + 1);
    Check("open.title", Contains(Text(Frame()->GetSafeHwnd()), "saved1") &&
                            Contains(Text(Frame()->GetSafeHwnd()), " - Sample"),
          Text(Frame()->GetSafeHwnd()));
    Check("save.second", doc->DoSave(second, FALSE));
    std::string why;
    Check("save.identical", SameBytes(first, second, why), why);
    return kNext;
}

// Hiding a bar gives its room to the view; showing it takes it back.
StepResult Driver::BarsStep(int&) {
    HWND frame = Frame()->GetSafeHwnd();
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    RECT view = ChildRect(frame, View()->GetSafeHwnd());
    Check("bar.hidden", !Frame()->m_wndToolBar.IsWindowVisible() && view.top == 0, Describe(view));
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    RECT tb = ChildRect(frame, Frame()->m_wndToolBar.GetSafeHwnd());
    view = ChildRect(frame, View()->GetSafeHwnd());
    Check("bar.shown", Frame()->m_wndToolBar.IsWindowVisible() && view.top == tb.bottom && tb.bottom > 0,
          Describe(view));
    return kNext;
}

// The main window as it stands, into the build tree.
StepResult Driver::ScreenshotStep(int& phase) {
    HWND frame = Frame()->GetSafeHwnd();
    if (phase == 0) {
        View()->m_tree.SelectItem(View()->m_tree.GetChildItem(View()->m_tree.GetRootItem()));
        SetForegroundWindow(frame);
        RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        phase = 1;
        return kWait;
    }
    if (phase < 6) {  // a few ticks for painting to settle
        ++phase;
        return kWait;
    }
    Check("toolbar.background", ToolbarStrayPixels() == 0, std::to_string(ToolbarStrayPixels()) + " pixels");
    RECT r;
    GetWindowRect(frame, &r);
    Check("screenshot", SaveScreenPng(Path("fwsample_main.png"), r));
    return kNext;
}

// Closing with unsaved changes asks; "No" ends the program.
StepResult Driver::CloseStep(int& phase) {
    HWND frame = Frame() ? Frame()->GetSafeHwnd() : nullptr;
    if (phase == 0) {
        Doc()->SetModifiedFlag(TRUE);
        PostMessageA(frame, WM_CLOSE, 0, 0);
        phase = 1;
        return kWait;
    }
    return AnswerBox(frame, "close.prompt", "Save changes to", IDNO) ? kNext : kWait;
}

// The script in order: each step with the checks it reports. The report
// opens with this table, so the test's expectations come from it.
const std::vector<Driver::Step> Driver::kScript = {
    {"startup", &Driver::StartupStep, {"prompt.idle", "title.document"}},
    {"layout", &Driver::LayoutStep, {"layout.bars", "layout.view", "layout.form", "toolbar.buttons"}},
    {"route", &Driver::RouteStep, {"route.posted", "route.accelerator"}},
    {"disabled", &Driver::DisabledStep, {"disabled.posted.accelerator.toolbar", "menu.update.disabled", "menu.update.nohandler", "menu.update.handler", "disabled.menu", "prompt.menu.closed", "menu.update.enabled", "enabled.menu", "enabled.posted.accelerator.toolbar"}},
    {"update", &Driver::UpdateStep, {"menu.update.checked", "toolbar.update.checked", "toolbar.update.disabled", "menu.update.unchecked"}},
    {"idle", &Driver::IdleStep, {"idle.update", "view.update"}},
    {"prompts", &Driver::PromptsStep, {"prompt.menuselect", "prompt.idle.again", "prompt.tooltip"}},
    {"dialog", &Driver::DialogStep, {"ddx.load", "dialog.owner", "ddv.message", "ddv.keeps.dialog", "ddv.focus", "ddx.save", "dialog.owner.enabled"}},
    {"sheet", &Driver::SheetStep, {"sheet.load", "sheet.ddv.message", "sheet.ddv.keeps.page", "sheet.second.page", "sheet.save"}},
    {"save", &Driver::SaveStep, {"save.first", "open.same.document", "open.contents", "open.view", "open.title", "save.second", "save.identical"}},
    {"bars", &Driver::BarsStep, {"bar.hidden", "bar.shown"}},
    {"screenshot", &Driver::ScreenshotStep, {"toolbar.background", "screenshot"}},
    {"close", &Driver::CloseStep, {"close.prompt"}},
};

}  // namespace

void StartSampleDriver(const CString& folder) {
    static Driver driver(folder);
    g_driver = &driver;
    SetTimer(nullptr, 0, 50, DriverTick);
}
