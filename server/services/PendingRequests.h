// Who waits for which answer. The TCP command parser records requesters and
// the reply dispatcher answers and erases them; both hold PendingLock while
// they touch these containers. Keys are requester texts ("host:port"),
// ordered byte-wise; equal keys keep their insertion order.
#pragma once
#include <winsock2.h> // before windows.h, for the socket users
#include <windows.h>
#include "framework/sync.h"
#include <map>
#include <string>

typedef std::multimap<std::string, std::string> PendingMap;

extern PendingMap g_PendingReg2;   // registration push subscribers
extern PendingMap g_PendingStatus; // value "id:0"
extern PendingMap g_PendingRead;   // value "id:location"
extern PendingMap g_PendingWrite;  // value "id:location"

// A frame that named an unknown controller: its requester gets the "ERR"
// line, not whichever client happens to wait for a status of that id.
struct PendingError {
    std::string requester;
    int port;
    int id;
};
extern std::multimap<int, PendingError> g_PendingErrors; // keyed by arrival

// The status texts of one status reply, kept from the moment the reply is
// handed on until the dispatcher answers, so that a view which drops the
// stored status meanwhile cannot empty the answer.
struct StatusSnapshot {
    std::string dateTime, head, firmware;
};

// The lock of everything above. Ready from static construction, before any
// thread can parse or answer.
CCriticalSection& PendingSection();

// A hold of that lock for the scope.
class PendingLock : public CSingleLock
{
public:
    PendingLock() : CSingleLock(&PendingSection(), TRUE) {}
};

// Appends an error answer under the lock; returns its arrival number.
void AddPendingError(const std::string& requester, int port, int id);
// Removes and returns the oldest error answer for (port, id).
bool TakePendingError(int port, int id, PendingError& error);

// Snapshots are queued per controller id: one per status reply handed on.
void PushStatusSnapshot(int id, const StatusSnapshot& snapshot);
bool TakeStatusSnapshot(int id, StatusSnapshot& snapshot);

// Finds the first entry (map order) whose value equals the awaited value,
// removes it and gives its key. The caller holds PendingLock.
bool TakeFirstMatching(PendingMap& map, const std::string& awaited, std::string& requester);

// Drops every entry still waiting (the dispatcher's exit).
void ClearPendingRequests();
