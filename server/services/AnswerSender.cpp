#include "server/services/AnswerSender.h"

CAnswerSender::CAnswerSender(SendFn send) : m_send(std::move(send)) {}

CAnswerSender::~CAnswerSender()
{
    Stop();
}

void CAnswerSender::Send(const std::string& requester, const std::string& line, std::function<void()> failed)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStopped)
        return;
    SweepIdleLanes(requester);
    Lane& lane = m_lanes[requester];
    lane.queue.push_back(Item{ line, std::move(failed) });
    if (lane.busy)
        return; // its thread takes the line in turn
    if (lane.thread.joinable())
        lane.thread.join(); // ended: it let go of the lock before it returned
    lane.busy = true;
    lane.thread = std::thread(&CAnswerSender::RunLane, this, requester);
}

void CAnswerSender::RunLane(const std::string& requester)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    Lane& lane = m_lanes[requester]; // map entries stay where they are
    while (!lane.queue.empty()) {
        Item item = std::move(lane.queue.front());
        lane.queue.pop_front();
        lock.unlock();
        if (!m_send(requester, item.line) && item.failed)
            item.failed();
        lock.lock();
    }
    lane.busy = false;
    m_laneEnded.notify_all();
}

void CAnswerSender::SweepIdleLanes(const std::string& keep)
{
    for (auto it = m_lanes.begin(); it != m_lanes.end();) {
        if (it->second.busy || !it->second.queue.empty() || it->first == keep) {
            ++it;
            continue;
        }
        if (it->second.thread.joinable())
            it->second.thread.join();
        it = m_lanes.erase(it);
    }
}

void CAnswerSender::WaitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_laneEnded.wait(lock, [this] {
        for (const auto& lane : m_lanes)
            if (lane.second.busy)
                return false;
        return true;
    });
}

size_t CAnswerSender::Busy()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t busy = 0;
    for (const auto& lane : m_lanes)
        busy += lane.second.busy ? 1 : 0;
    return busy;
}

void CAnswerSender::Stop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_bStopped = true;
    for (auto& lane : m_lanes)
        lane.second.queue.clear();
    m_laneEnded.wait(lock, [this] {
        for (const auto& lane : m_lanes)
            if (lane.second.busy)
                return false;
        return true;
    });
    SweepIdleLanes(std::string());
}
