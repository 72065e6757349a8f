// Drives modal windows of this thread from a thread timer, which every modal
// loop on the thread dispatches, and reads dialogs and message boxes back.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace dialog_script {

inline std::string Text(HWND h) {
    char buf[512] = {};
    ::GetWindowTextA(h, buf, sizeof buf);
    return buf;
}

inline std::string ItemText(HWND dlg, int id) { return Text(::GetDlgItem(dlg, id)); }

inline bool IsDialogClass(HWND h) {
    char cls[32] = {};
    ::GetClassNameA(h, cls, sizeof cls);
    return std::string(cls) == "#32770";
}

struct DialogSearch {
    std::vector<HWND> known;
    HWND found;
};

inline BOOL CALLBACK MatchDialog(HWND h, LPARAM lp) {
    DialogSearch* s = (DialogSearch*)lp;
    for (HWND k : s->known)
        if (k == h) return TRUE;
    if (::IsWindowVisible(h) && IsDialogClass(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level dialog of this thread other than the known ones.
inline HWND FindOtherDialog(std::vector<HWND> known) {
    DialogSearch s{std::move(known), nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), MatchDialog, (LPARAM)&s);
    return s.found;
}

inline BOOL CALLBACK CollectStaticText(HWND h, LPARAM lp) {
    char cls[32] = {};
    ::GetClassNameA(h, cls, sizeof cls);
    std::string t = Text(h);
    if (lstrcmpiA(cls, "Static") == 0 && !t.empty()) *(std::string*)lp += t;
    return TRUE;
}

// The message text of a message box: its static controls' texts.
inline std::string BoxText(HWND box) {
    std::string all;
    ::EnumChildWindows(box, CollectStaticText, (LPARAM)&all);
    return all;
}

inline void Click(HWND dlg, int id) { ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(dlg, id)); }

// Steps run one per tick from a thread timer; a step returns false to be
// tried again on the next tick. Past the deadline every dialog of the thread
// is cancelled so that the test fails instead of hanging.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps, DWORD ms = 20000) : m_steps(std::move(steps)) {
        m_deadline = ::GetTickCount() + ms;
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 25, &Script::Tick);
    }
    ~Script() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    bool Finished() const { return m_next == m_steps.size() && !m_timedOut; }
    size_t StepReached() const { return m_next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = s_current;
        if (!s || s->m_busy) return;
        s->m_busy = true;
        if (s->m_timedOut || (LONG)(::GetTickCount() - s->m_deadline) > 0) {
            s->m_timedOut = true;
            while (HWND h = FindOtherDialog(s->m_cancelled)) {
                s->m_cancelled.push_back(h);
                ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
            }
            s->m_cancelled.clear();
        } else if (s->m_next < s->m_steps.size() && s->m_steps[s->m_next]()) {
            ++s->m_next;
        }
        s->m_busy = false;
    }
    static inline Script* s_current = nullptr;
    std::vector<Step> m_steps;
    std::vector<HWND> m_cancelled;
    size_t m_next = 0;
    bool m_busy = false, m_timedOut = false;
    DWORD m_deadline;
    UINT_PTR m_timer;
};

}  // namespace dialog_script
