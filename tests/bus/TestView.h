// The server view as the bus sees it, for tests: a message-only window that
// records WM_DEVICE_STATE, and a log that keeps its lines.
#pragma once
#include "bus/BusView.h"
#include "bus/messages.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class TestView : public VTMultiDrop::IBusView {
public:
    TestView()
    {
        InitializeCriticalSection(&m_lock);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BusTestView";
        RegisterClassA(&wc);
        m_window = CreateWindowExA(0, "BusTestView", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestView() override
    {
        DestroyWindow(m_window);
        DeleteCriticalSection(&m_lock);
    }

    HWND GetStateWindow() override { return m_window; }
    bool SelectPollInfo() override { return m_selectPollInfo; }
    void AddLogMessage(const std::string& text, int image) override
    {
        EnterCriticalSection(&m_lock);
        m_log.push_back(text);
        LeaveCriticalSection(&m_lock);
    }

    // Dispatches what was posted to the window and returns the states seen
    // since the last call, as (device id, state).
    std::vector<std::pair<int, int>> TakeStates()
    {
        MSG msg;
        while (PeekMessageA(&msg, m_window, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        std::vector<std::pair<int, int>> states;
        states.swap(m_states);
        return states;
    }
    std::vector<std::string> Log()
    {
        EnterCriticalSection(&m_lock);
        std::vector<std::string> log = m_log;
        LeaveCriticalSection(&m_lock);
        return log;
    }

    bool m_selectPollInfo = false;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_DEVICE_STATE) {
            auto* self = reinterpret_cast<TestView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            self->m_states.push_back({static_cast<int>(wParam), static_cast<int>(lParam)});
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND m_window;
    CRITICAL_SECTION m_lock;
    std::vector<std::pair<int, int>> m_states;
    std::vector<std::string> m_log;
};
