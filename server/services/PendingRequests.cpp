#include "server/services/PendingRequests.h"
#include <deque>

PendingMap g_PendingReg2;
PendingMap g_PendingStatus;
PendingMap g_PendingRead;
PendingMap g_PendingWrite;
std::multimap<int, PendingError> g_PendingErrors;

namespace {

const CCriticalSection& g_sectionReady = PendingSection(); // built during static construction

int g_errorArrival = 0;
std::map<int, std::deque<StatusSnapshot>> g_statusSnapshots;

} // namespace

CCriticalSection& PendingSection()
{
    static CCriticalSection section;
    return section;
}

void AddPendingError(const std::string& requester, int port, int id)
{
    PendingLock lock;
    g_PendingErrors.insert(std::make_pair(++g_errorArrival, PendingError{ requester, port, id }));
}

bool TakePendingError(int port, int id, PendingError& error)
{
    PendingLock lock;
    for (auto it = g_PendingErrors.begin(); it != g_PendingErrors.end(); ++it) {
        if (it->second.port == port && it->second.id == id) {
            error = it->second;
            g_PendingErrors.erase(it);
            return true;
        }
    }
    return false;
}

void PushStatusSnapshot(int id, const StatusSnapshot& snapshot)
{
    PendingLock lock;
    g_statusSnapshots[id].push_back(snapshot);
}

bool TakeStatusSnapshot(int id, StatusSnapshot& snapshot)
{
    PendingLock lock;
    auto it = g_statusSnapshots.find(id);
    if (it == g_statusSnapshots.end() || it->second.empty())
        return false;
    snapshot = it->second.front();
    it->second.pop_front();
    if (it->second.empty())
        g_statusSnapshots.erase(it);
    return true;
}

bool TakeFirstMatching(PendingMap& map, const std::string& awaited, std::string& requester)
{
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (it->second == awaited) {
            requester = it->first;
            map.erase(it);
            return true;
        }
    }
    return false;
}

void ClearPendingRequests()
{
    PendingLock lock;
    g_PendingReg2.clear();
    g_PendingStatus.clear();
    g_PendingRead.clear();
    g_PendingWrite.clear();
    g_PendingErrors.clear();
    g_statusSnapshots.clear();
}
