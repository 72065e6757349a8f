#include "tests/bus/call_trace.h"

#include <atomic>
#include <cstring>

namespace call_trace {

namespace {

const size_t Capacity = 1 << 19;
std::vector<Call> g_calls(Capacity);
std::atomic<size_t> g_next(0);
std::atomic<bool> g_on(false);

VOID(WINAPI* RealSleep)(DWORD);
VOID(WINAPI* RealEnter)(LPCRITICAL_SECTION);
BOOL(WINAPI* RealRead)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
BOOL(WINAPI* RealWrite)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
BOOL(WINAPI* RealSetState)(HANDLE, LPDCB);
BOOL(WINAPI* RealPurge)(HANDLE, DWORD);
BOOL(WINAPI* RealEscape)(HANDLE, DWORD);

LONGLONG Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void Record(Kind kind, LONGLONG start, ULONG_PTR arg, DWORD bytes = 0, unsigned char first = 0)
{
    const LONGLONG end = Now();
    if (!g_on)
        return;
    const size_t i = g_next++;
    if (i < Capacity)
        g_calls[i] = Call{GetCurrentThreadId(), kind, start, end, arg, bytes, first};
}

VOID WINAPI TracedSleep(DWORD ms)
{
    const LONGLONG start = Now();
    RealSleep(ms);
    Record(Sleep, start, ms);
}

VOID WINAPI TracedEnter(LPCRITICAL_SECTION section)
{
    const LONGLONG start = Now();
    RealEnter(section);
    Record(Enter, start, reinterpret_cast<ULONG_PTR>(section));
}

BOOL WINAPI TracedRead(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped)
{
    const LONGLONG start = Now();
    const BOOL ok = RealRead(file, buffer, count, read, overlapped);
    const DWORD got = ok && read ? *read : 0;
    Record(Read, start, count, got, got ? *static_cast<unsigned char*>(buffer) : 0);
    return ok;
}

BOOL WINAPI TracedWrite(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    const LONGLONG start = Now();
    const BOOL ok = RealWrite(file, buffer, count, written, overlapped);
    Record(Write, start, 0, count, count ? *static_cast<const unsigned char*>(buffer) : 0);
    return ok;
}

BOOL WINAPI TracedSetState(HANDLE file, LPDCB dcb)
{
    const LONGLONG start = Now();
    const BOOL ok = RealSetState(file, dcb);
    Record(SetState, start, dcb->Parity);
    return ok;
}

BOOL WINAPI TracedPurge(HANDLE file, DWORD flags)
{
    const LONGLONG start = Now();
    const BOOL ok = RealPurge(file, flags);
    Record(Purge, start, flags);
    return ok;
}

BOOL WINAPI TracedEscape(HANDLE file, DWORD function)
{
    const LONGLONG start = Now();
    const BOOL ok = RealEscape(file, function);
    Record(Escape, start, function);
    return ok;
}

struct Hook {
    const char* name;
    void** real;
    void* traced;
};

// Points every import of the program by one of the hooked names at its
// wrapper, keeping the address it had.
void PatchImports(const Hook* hooks, size_t count)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (d->OriginalFirstThunk == 0)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            for (size_t h = 0; h < count; ++h) {
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), hooks[h].name) != 0)
                    continue;
                void** slot = reinterpret_cast<void**>(&slots->u1.Function);
                DWORD old = 0;
                VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
                *hooks[h].real = *slot;
                *slot = hooks[h].traced;
                VirtualProtect(slot, sizeof *slot, old, &old);
            }
        }
    }
}

}  // namespace

bool Install()
{
    if (RealSleep)
        return true;
    const Hook hooks[] = {
        {"Sleep", reinterpret_cast<void**>(&RealSleep), reinterpret_cast<void*>(&TracedSleep)},
        {"EnterCriticalSection", reinterpret_cast<void**>(&RealEnter), reinterpret_cast<void*>(&TracedEnter)},
        {"ReadFile", reinterpret_cast<void**>(&RealRead), reinterpret_cast<void*>(&TracedRead)},
        {"WriteFile", reinterpret_cast<void**>(&RealWrite), reinterpret_cast<void*>(&TracedWrite)},
        {"SetCommState", reinterpret_cast<void**>(&RealSetState), reinterpret_cast<void*>(&TracedSetState)},
        {"PurgeComm", reinterpret_cast<void**>(&RealPurge), reinterpret_cast<void*>(&TracedPurge)},
        {"EscapeCommFunction", reinterpret_cast<void**>(&RealEscape), reinterpret_cast<void*>(&TracedEscape)},
    };
    PatchImports(hooks, sizeof hooks / sizeof hooks[0]);
    for (const Hook& hook : hooks)
        if (*hook.real == nullptr)
            return false;
    return true;
}

void Start()
{
    g_next = 0;
    g_on = true;
}

std::vector<Call> Stop()
{
    g_on = false;
    // A call that was recording as the flag fell has finished by now.
    RealSleep ? RealSleep(20) : ::Sleep(20);
    const size_t n = g_next < Capacity ? g_next.load() : Capacity;
    return std::vector<Call>(g_calls.begin(), g_calls.begin() + n);
}

void MarkHere()
{
    Record(Mark, Now(), 0);
}

double Ms(LONGLONG ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return ticks * 1000.0 / f.QuadPart;
}

}  // namespace call_trace
