// Per-thread maps from a handle to its wrapper object. The permanent map
// holds objects that own their handle; the temporary map holds wrappers made
// by FromHandle, which are deleted (without touching the handle) at idle time.
#pragma once
#include <unordered_map>

template <class H, class T>
class CHandleMap;

// A thread's instance of a per-thread record, held by a plain pointer: made
// on first use, freed by AfxTermThreadMaps at the end of a framework thread.
// No destructor runs at thread exit, where the loader's lock is held and
// freeing memory can leave the heap locked for every other thread.
template <class T>
class CThreadRecord {
public:
    T& Get() {
        if (!m_p) m_p = new T;
        return *m_p;
    }
    T* Peek() const { return m_p; }
    void Free() {
        delete m_p;
        m_p = nullptr;
    }
    T* m_p;
};

template <class H, class T>
class CHandleMap {
public:
    std::unordered_map<H, T*> permanent;
    std::unordered_map<H, T*> temporary;

    T* LookupPermanent(H h) const {
        auto it = permanent.find(h);
        return it == permanent.end() ? nullptr : it->second;
    }
    // Permanent object if there is one, else a temporary wrapper made by make(h).
    template <class Make>
    T* FromHandle(H h, Make make) {
        if (!h) return nullptr;
        if (T* p = LookupPermanent(h)) return p;
        auto it = temporary.find(h);
        if (it != temporary.end()) return it->second;
        T* p = make(h);
        temporary[h] = p;
        return p;
    }
    // release(p) clears the wrapper's handle so that deleting it frees nothing.
    template <class Release>
    void DeleteTemp(Release release) {
        auto objects = std::move(temporary);
        temporary.clear();
        for (auto& kv : objects) {
            release(kv.second);
            delete kv.second;
        }
    }
};
