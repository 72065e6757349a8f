// Sends the reply dispatcher's lines, each requester in a lane of its own:
// the lines for one requester go out one after another in the order given,
// and a requester that cannot be reached holds up only its own lane, never
// another client's answers. A lane's thread runs while it has lines to send.
#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

class CAnswerSender
{
public:
    // Sends one line to a requester ("host:port"); false when it failed.
    typedef std::function<bool(const std::string& requester, const std::string& line)> SendFn;

    explicit CAnswerSender(SendFn send);
    ~CAnswerSender();

    // Queues the line; `failed` runs on the lane's thread when it could not
    // be sent. Nothing is queued once stopped.
    void Send(const std::string& requester, const std::string& line, std::function<void()> failed = nullptr);
    // Waits until every line queued so far was sent or given up.
    void WaitUntilIdle();
    // Lanes sending now.
    size_t Busy();
    // Drops the lines not started yet and waits for those being sent.
    void Stop();

private:
    CAnswerSender(const CAnswerSender&) = delete;
    CAnswerSender& operator=(const CAnswerSender&) = delete;

    struct Item {
        std::string line;
        std::function<void()> failed;
    };
    struct Lane {
        std::deque<Item> queue;
        std::thread thread;
        bool busy = false;
    };
    void RunLane(const std::string& requester);
    // Joins and forgets lanes whose thread has ended with nothing queued.
    void SweepIdleLanes(const std::string& keep);

    SendFn m_send;
    std::mutex m_mutex;
    std::condition_variable m_laneEnded;
    std::map<std::string, Lane> m_lanes;
    bool m_bStopped = false;
};
