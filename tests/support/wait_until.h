#pragma once
#include <windows.h>
#include <functional>

// Waits until `done` holds, looking every `pollMs` and calling `meanwhile`
// (when given) between looks; false after the time-out. `done` is always
// looked at once more after the time-out, so a slow machine that wakes late
// still sees a result that arrived.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000, DWORD pollMs = 50,
               const std::function<void()>& meanwhile = nullptr);
