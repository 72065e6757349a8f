// An owned kernel handle: closed once, by its one owner.
#pragma once
#include <windows.h>

// Win32 returns either NULL or INVALID_HANDLE_VALUE for "no handle",
// depending on the function; both are kept as null here, so Get() and the
// conversion give null for none and nothing ever passes either to CloseHandle.
class COwnedHandle {
public:
    COwnedHandle() = default;
    explicit COwnedHandle(HANDLE h) : m_h(Normal(h)) {}
    ~COwnedHandle() { Close(); }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;
    COwnedHandle(COwnedHandle&& other) noexcept : m_h(other.Detach()) {}
    COwnedHandle& operator=(COwnedHandle&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }

    HANDLE Get() const { return Normal(m_h); }
    operator HANDLE() const { return Get(); }
    bool IsValid() const { return Get() != nullptr; }

    // Takes h, closing the handle held before (unless it is the same one).
    void Attach(HANDLE h) {
        h = Normal(h);
        if (h != Get()) Close();
        m_h = h;
    }
    // Gives the handle up without closing it.
    HANDLE Detach() { HANDLE h = Get(); m_h = nullptr; return h; }
    // FALSE when there was nothing to close (a second Close does nothing).
    BOOL Close() { HANDLE h = Detach(); return h ? ::CloseHandle(h) : FALSE; }

    // For functions that return a handle through a pointer (DuplicateHandle):
    // closes what is held and lends the slot; whatever lands there is owned.
    HANDLE* Receive() { Close(); return &m_h; }

    // A duplicate with the given access (0 and DUPLICATE_SAME_ACCESS for the
    // same); none when this holds none or the duplication fails.
    COwnedHandle Duplicate(DWORD access = 0, DWORD options = DUPLICATE_SAME_ACCESS) const {
        return DuplicateOf(Get(), access, options);
    }
    // The same for a handle owned elsewhere (which stays as it is).
    static COwnedHandle DuplicateOf(HANDLE h, DWORD access = 0, DWORD options = DUPLICATE_SAME_ACCESS);

    static bool IsNone(HANDLE h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }

private:
    static HANDLE Normal(HANDLE h) { return IsNone(h) ? nullptr : h; }
    HANDLE m_h = nullptr;
};
