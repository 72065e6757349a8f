#include "server/services/PendingRequests.h"
#include "server/services/CommandProtocol.h"

namespace {

const CPendingRequests& g_requestsReady = PendingRequests(); // built during static construction

bool TakeFirstMatchingIn(PendingMap& map, const std::string& awaited, std::string& requester)
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

bool PopSnapshot(std::map<int, std::deque<StatusSnapshot>>& snapshots, int id, StatusSnapshot& snapshot)
{
    auto it = snapshots.find(id);
    if (it == snapshots.end() || it->second.empty())
        return false;
    snapshot = it->second.front();
    it->second.pop_front();
    if (it->second.empty())
        snapshots.erase(it);
    return true;
}

} // namespace

CPendingRequests& PendingRequests()
{
    static CPendingRequests requests;
    return requests;
}

PendingMap& CPendingRequests::Map(PendingKind kind)
{
    return m_maps[static_cast<int>(kind)];
}

const PendingMap& CPendingRequests::Map(PendingKind kind) const
{
    return m_maps[static_cast<int>(kind)];
}

void CPendingRequests::Add(PendingKind kind, const std::string& requester, const std::string& awaited)
{
    CSingleLock lock(&m_lock, TRUE);
    Map(kind).insert(std::make_pair(requester, awaited));
}

bool CPendingRequests::TakeFirstMatching(PendingKind kind, const std::string& awaited, std::string& requester)
{
    CSingleLock lock(&m_lock, TRUE);
    return TakeFirstMatchingIn(Map(kind), awaited, requester);
}

void CPendingRequests::AddError(const std::string& requester, int port, int id)
{
    CSingleLock lock(&m_lock, TRUE);
    m_errors.insert(std::make_pair(++m_nErrorArrival, PendingError{ requester, port, id }));
}

bool CPendingRequests::TakeError(int port, int id, PendingError& error)
{
    CSingleLock lock(&m_lock, TRUE);
    for (auto it = m_errors.begin(); it != m_errors.end(); ++it) {
        if (it->second.port == port && it->second.id == id) {
            error = it->second;
            m_errors.erase(it);
            return true;
        }
    }
    return false;
}

void CPendingRequests::PushStatusSnapshot(int id, const StatusSnapshot& snapshot)
{
    CSingleLock lock(&m_lock, TRUE);
    m_statusSnapshots[id].push_back(snapshot);
}

bool CPendingRequests::TakeStatusSnapshot(int id, StatusSnapshot& snapshot)
{
    CSingleLock lock(&m_lock, TRUE);
    return PopSnapshot(m_statusSnapshots, id, snapshot);
}

bool CPendingRequests::TakeStatusAnswer(int id, std::string& requester, StatusSnapshot& snapshot, bool& haveSnapshot)
{
    CSingleLock lock(&m_lock, TRUE);
    haveSnapshot = PopSnapshot(m_statusSnapshots, id, snapshot);
    return TakeFirstMatchingIn(Map(PendingKind::Status), CommandProtocol::AwaitedValue(id, 0), requester);
}

std::vector<std::string> CPendingRequests::Subscribers() const
{
    CSingleLock lock(&m_lock, TRUE);
    std::vector<std::string> subscribers;
    for (const auto& entry : Map(PendingKind::Reg2))
        subscribers.push_back(entry.first);
    return subscribers;
}

void CPendingRequests::RemoveSubscriber(const std::string& subscriber)
{
    CSingleLock lock(&m_lock, TRUE);
    PendingMap& map = Map(PendingKind::Reg2);
    auto it = map.find(subscriber);
    if (it != map.end())
        map.erase(it);
}

PendingMap CPendingRequests::Entries(PendingKind kind) const
{
    CSingleLock lock(&m_lock, TRUE);
    return Map(kind);
}

std::vector<PendingError> CPendingRequests::Errors() const
{
    CSingleLock lock(&m_lock, TRUE);
    std::vector<PendingError> errors;
    for (const auto& entry : m_errors)
        errors.push_back(entry.second);
    return errors;
}

void CPendingRequests::Clear()
{
    CSingleLock lock(&m_lock, TRUE);
    for (PendingMap& map : m_maps)
        map.clear();
    m_errors.clear();
    m_statusSnapshots.clear();
}
