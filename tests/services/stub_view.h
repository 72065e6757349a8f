// A server view for tests that need only a few of its parts: every setting
// at its default, every list and tree call a no-op. Tests override what they
// look at.
#pragma once
#include "server/services/HalvexViewServices.h"

struct StubHalvexView : IHalvexView {
    bool IsRunning() const override { return true; }
    bool UseBCDB() const override { return false; }
    std::string ConnStr() const override { return ""; }
    int AutoSetTime() const override { return 0; }
    int AutoSetTimeInterval() const override { return 1; }
    int TCPPort() const override { return 65000; }
    DWORD DispatcherThreadId() const override { return 0; }
    HWND GetSafeHwnd() const override { return NULL; }
    void AddLogMessage(const std::string&, int) override {}
    void AddRegistration(int) override {}
    void UpdateControllerStatus(int, int) override {}
    void AddDiagnosticsLine(int, int) override {}
    std::vector<std::pair<int, int>> ControllersInTreeOrder() override { return {}; }
    std::string LoadResourceString(UINT) override { return ""; }
    void LogUserEvent(int, int, int, const std::string&) override {}
    void RefreshCommandStates() override {}
};
