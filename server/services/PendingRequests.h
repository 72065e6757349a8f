// Who waits for which answer. The TCP command parser records requesters and
// the reply dispatcher takes them off and answers. Every call holds the lock
// only while it touches the entries and hands copies out, so no socket work
// ever happens under it. Keys are requester texts ("host:port"), ordered
// byte-wise; equal keys keep their insertion order.
#pragma once
#include <windows.h>
#include "framework/sync.h"
#include <deque>
#include <map>
#include <string>
#include <vector>

typedef std::multimap<std::string, std::string> PendingMap;

// The four kinds of waiting requester, by the answer they wait for.
enum class PendingKind {
    Reg2,   // registration push subscribers, value empty
    Status, // value "id:0"
    Read,   // value "id:location"
    Write,  // value "id:location"
};

// A frame that named an unknown controller: its requester gets the "ERR"
// line, not whichever client happens to wait for a status of that id.
struct PendingError {
    std::string requester;
    int port;
    int id;
};

// The status texts of one status reply, kept from the moment the reply is
// handed on until the dispatcher answers, so that a view which drops the
// stored status meanwhile cannot empty the answer.
struct StatusSnapshot {
    std::string dateTime, head, firmware;
};

class CPendingRequests
{
public:
    CPendingRequests() = default;
    CPendingRequests(const CPendingRequests&) = delete;
    CPendingRequests& operator=(const CPendingRequests&) = delete;

    void Add(PendingKind kind, const std::string& requester, const std::string& awaited);
    // Finds the first entry (map order) of `kind` whose value equals
    // `awaited`, removes it and gives its key.
    bool TakeFirstMatching(PendingKind kind, const std::string& awaited, std::string& requester);

    // Appends an error answer, behind those already waiting.
    void AddError(const std::string& requester, int port, int id);
    // Removes and returns the oldest error answer for (port, id).
    bool TakeError(int port, int id, PendingError& error);

    // Snapshots are queued per controller id: one per status reply handed on.
    void PushStatusSnapshot(int id, const StatusSnapshot& snapshot);
    bool TakeStatusSnapshot(int id, StatusSnapshot& snapshot);
    // One status reply in one hold: its snapshot (whether anybody waits or
    // not, so that none is left for a later reply) and the first requester
    // awaiting it. `haveSnapshot` tells whether a snapshot was queued.
    bool TakeStatusAnswer(int id, std::string& requester, StatusSnapshot& snapshot, bool& haveSnapshot);

    // The push subscribers in map order, each once per entry.
    std::vector<std::string> Subscribers() const;
    // Drops one entry of a subscriber that could not be reached.
    void RemoveSubscriber(const std::string& subscriber);

    // Copies for inspection.
    PendingMap Entries(PendingKind kind) const;
    std::vector<PendingError> Errors() const; // in arrival order

    // Drops every entry still waiting (the dispatcher's exit).
    void Clear();

    // Runs `action` while no entry can change: the dispatcher's stop is
    // ordered after any record in progress.
    template <class Action> void WhileHeld(Action action)
    {
        CSingleLock lock(&m_lock, TRUE);
        action();
    }

private:
    PendingMap& Map(PendingKind kind);
    const PendingMap& Map(PendingKind kind) const;

    mutable CCriticalSection m_lock;
    PendingMap m_maps[4];
    int m_nErrorArrival = 0;
    std::multimap<int, PendingError> m_errors; // keyed by arrival
    std::map<int, std::deque<StatusSnapshot>> m_statusSnapshots;
};

// The server's one record of waiting requesters. Ready from static
// construction, before any thread can parse or answer.
CPendingRequests& PendingRequests();
