// COwnedIcon: one icon or cursor made by LoadImage/CreateIcon*, destroyed once.
#pragma once
#include <windows.h>

class COwnedIcon {
public:
    COwnedIcon() = default;
    explicit COwnedIcon(HICON icon) : m_icon(icon) {}
    COwnedIcon(const COwnedIcon&) = delete;
    COwnedIcon& operator=(const COwnedIcon&) = delete;
    ~COwnedIcon() { Reset(); }
    // Takes icon; the one held before is destroyed.
    void Attach(HICON icon) {
        if (icon == m_icon) return;
        Reset();
        m_icon = icon;
    }
    HICON Detach() {
        HICON icon = m_icon;
        m_icon = nullptr;
        return icon;
    }
    void Reset() {
        if (m_icon) ::DestroyIcon(m_icon);
        m_icon = nullptr;
    }
    HICON Get() const { return m_icon; }
    operator HICON() const { return m_icon; }

private:
    HICON m_icon = nullptr;
};
