// A scripted serial line for the port's tests: the faults a pty cannot show
// (failing opens and settings, read errors as parity or framing errors
// produce them, short echoes) and a transcript of every byte written with its
// parity. Its peer is a tiny controller: it echoes, answers frames and polls
// of the addresses it plays, and can be told to stay silent.
#pragma once
#include "bus/BusFrame.h"
#include "bus/SerialLine.h"

#include <windows.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

class FakeLine : public VTMultiDrop::ISerialLine {
public:
    // Calls that fail: the count of next calls to fail (-1 always).
    struct Faults {
        int open = 0, getState = 0, setState = 0, getTimeouts = 0, setTimeouts = 0, setup = 0, purge = 0,
            escape = 0, read = 0, close = 0;
        // Echo this many bytes fewer on the next `shortEchoes` writes.
        int shortEchoes = 0, shortBy = 1;
        // Fail the next SetState that switches to this parity (0: none).
        int failParity = 0;
    };

    struct Peer {
        bool silent = false;
        std::deque<std::string> fifo;  // registrations, taken on ACK
        std::string status = "AB12324080314050910042";
        std::deque<std::string> scripted;  // raw answers used before any other
        int frames = 0, polls = 0, acks = 0;
        std::string pending;  // reply payload awaiting a poll
    };

    FakeLine() { InitializeCriticalSection(&m_lock); }
    ~FakeLine() override { DeleteCriticalSection(&m_lock); }

    // Test side (any thread).
    void SetFaults(const Faults& f) { Locked([&] { m_faults = f; }); }
    template <class F>
    void WithFaults(F f) { Locked([&] { f(m_faults); }); }
    template <class F>
    void WithPeer(int address, F f) { Locked([&] { f(m_peers[address]); }); }
    std::string Transcript() { std::string t; Locked([&] { t = m_transcript; }); return t; }
    void ClearTranscript() { Locked([&] { m_transcript.clear(); }); }
    int Opens() { int n; Locked([&] { n = m_opens; }); return n; }
    // When each open was tried (tick count).
    std::vector<DWORD> OpenTicks() { std::vector<DWORD> t; Locked([&] { t = m_openTicks; }); return t; }
    int Reads() { int n; Locked([&] { n = m_reads; }); return n; }
    int Closes() { int n; Locked([&] { n = m_closes; }); return n; }
    std::vector<int> Parities() { std::vector<int> p; Locked([&] { p = m_parities; }); return p; }
    bool IsOpenNow() { bool o; Locked([&] { o = m_open; }); return o; }

    // ISerialLine.
    bool Open(int) override
    {
        return Locked([&] {
            ++m_opens;
            m_openTicks.push_back(GetTickCount());
            if (Fail(m_faults.open))
                return false;
            m_open = true;
            m_rx.clear();
            return true;
        });
    }
    bool IsOpen() const override { return m_open; }
    bool Close() override
    {
        return Locked([&] { if (m_open) ++m_closes; m_open = false; return !Fail(m_faults.close); });
    }
    bool GetState(DCB& dcb) override { return Locked([&] { if (Fail(m_faults.getState)) return false; dcb = m_dcb; return true; }); }
    bool SetState(const DCB& dcb) override
    {
        return Locked([&] {
            if (Fail(m_faults.setState))
                return false;
            if (m_faults.failParity && dcb.Parity == m_faults.failParity) {
                m_faults.failParity = 0;
                return false;
            }
            m_dcb = dcb;
            m_parities.push_back(dcb.Parity);
            return true;
        });
    }
    bool GetTimeouts(COMMTIMEOUTS& t) override { return Locked([&] { if (Fail(m_faults.getTimeouts)) return false; t = m_timeouts; return true; }); }
    bool SetTimeouts(const COMMTIMEOUTS& t) override { return Locked([&] { if (Fail(m_faults.setTimeouts)) return false; m_timeouts = t; return true; }); }
    bool Setup(DWORD, DWORD) override { return Locked([&] { return !Fail(m_faults.setup); }); }
    bool Purge(DWORD flags) override
    {
        return Locked([&] {
            if (Fail(m_faults.purge))
                return false;
            if (flags & PURGE_RXCLEAR)
                m_rx.clear();
            return true;
        });
    }
    bool Escape(DWORD) override { return Locked([&] { return !Fail(m_faults.escape); }); }
    bool Write(const void* bytes, DWORD count, DWORD& written) override
    {
        return Locked([&] {
            written = count;
            if (!m_open)
                return false;
            const unsigned char* p = static_cast<const unsigned char*>(bytes);
            std::string data(reinterpret_cast<const char*>(p), count);
            const bool mark = m_dcb.Parity == MARKPARITY;
            for (unsigned char b : data) {
                char t[8];
                std::snprintf(t, sizeof t, "%s%c%02X", m_transcript.empty() ? "" : " ", mark ? 'm' : 's', b);
                m_transcript += t;
            }
            size_t echo = data.size();
            if (m_faults.shortEchoes > 0) {
                --m_faults.shortEchoes;
                echo = echo > static_cast<size_t>(m_faults.shortBy) ? echo - m_faults.shortBy : 0;
            }
            m_rx.insert(m_rx.end(), data.begin(), data.begin() + echo);
            if (echo == data.size())
                Hear(data, mark);
            return true;
        });
    }
    bool Read(void* bytes, DWORD count, DWORD& read) override
    {
        return Locked([&] {
            read = 0;
            ++m_reads;
            if (!m_open || Fail(m_faults.read))
                return false;
            while (read < count && !m_rx.empty()) {
                static_cast<unsigned char*>(bytes)[read++] = m_rx.front();
                m_rx.pop_front();
            }
            return true;
        });
    }

private:
    template <class F>
    auto Locked(F f) -> decltype(f())
    {
        struct Guard {
            CRITICAL_SECTION& s;
            explicit Guard(CRITICAL_SECTION& c) : s(c) { EnterCriticalSection(&s); }
            ~Guard() { LeaveCriticalSection(&s); }
        } guard(m_lock);
        return f();
    }
    static bool Fail(int& count)
    {
        if (count == 0)
            return false;
        if (count > 0)
            --count;
        return true;
    }

    // The controller side: mark bytes select, space bytes are frames, polls
    // and acknowledgements for the selected address.
    void Hear(const std::string& data, bool mark)
    {
        using namespace VTMultiDrop;
        if (mark) {
            m_selected = static_cast<unsigned char>(data[0]);
            return;
        }
        auto it = m_peers.find(m_selected);
        if (it == m_peers.end())
            return;
        Peer& peer = it->second;
        if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == ACK) {
            ++peer.acks;
            if (peer.pending.compare(0, 2, "SD") == 0 && peer.pending != "SD0*" && !peer.fifo.empty())
                peer.fifo.pop_front();
            peer.pending.clear();
            return;
        }
        const bool frame = static_cast<unsigned char>(data[0]) == ENQ;
        const bool poll = data.size() == 1 && static_cast<unsigned char>(data[0]) == EOT;
        if (!frame && !poll)
            return;
        if (frame)
            ++peer.frames;
        else
            ++peer.polls;
        if (peer.silent)
            return;
        if (!peer.scripted.empty()) {
            Answer(peer.scripted.front());
            peer.scripted.pop_front();
            return;
        }
        if (frame) {
            const std::string code = data.substr(5, 2);
            if (code == "SD")
                peer.pending = peer.fifo.empty() ? "SD0*" : "SD0" + peer.fifo.front();
            else if (code == "ST")
                peer.pending = "ST0" + peer.status;
            Answer(std::string("\x01") + "00" + char(ACK) + char(EOT));
            return;
        }
        if (peer.pending.empty())
            return;
        char length[4];
        std::snprintf(length, sizeof length, "%02X", static_cast<unsigned>(peer.pending.size()));
        Answer(std::string("\x01") + length + "05\x02" + peer.pending + "\x03" + "0000" + "\x04");
    }
    void Answer(const std::string& bytes) { m_rx.insert(m_rx.end(), bytes.begin(), bytes.end()); }

    CRITICAL_SECTION m_lock;
    Faults m_faults;
    bool m_open = false;
    DCB m_dcb = {};
    COMMTIMEOUTS m_timeouts = {};
    std::deque<unsigned char> m_rx;
    std::string m_transcript;
    std::vector<int> m_parities;
    int m_opens = 0, m_closes = 0, m_reads = 0;
    std::vector<DWORD> m_openTicks;
    unsigned char m_selected = 0;
    std::map<int, Peer> m_peers;
};
