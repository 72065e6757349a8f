#include "tests/bus/exchange_phases.h"

#include "bus/BusFrame.h"

namespace exchange_phases {

using call_trace::Call;

namespace {

double Ms(LONGLONG from, LONGLONG to)
{
    return call_trace::Ms(to - from);
}

bool IsLineCall(const Call& c)
{
    return c.kind == call_trace::Read || c.kind == call_trace::Write || c.kind == call_trace::SetState ||
           c.kind == call_trace::Purge || c.kind == call_trace::Escape;
}

// Splits the line calls of one exchange into phases: each call, and the gap
// before it, belongs to the phase its place in the exchange gives. After a
// write its echo is read back; after the echo the first answer byte (SOH) is
// waited for; the reads after it are the rest.
class Classifier {
public:
    explicit Classifier(Exchange& e) : m_e(e) {}
    void Take(const Call& c, LONGLONG since)
    {
        const Phase phase = PhaseOf(c);
        m_e.ms[phase] += Ms(since, c.end);
    }

private:
    enum State { Between, Echo_, Await, Reading };
    Phase PhaseOf(const Call& c)
    {
        switch (c.kind) {
        case call_trace::Write:
            if (c.bytes == 1 && c.first == VTMultiDrop::EOT)
                m_e.kind = Poll;
            m_state = Echo_;
            m_echo = static_cast<int>(c.bytes);
            return Echo;
        case call_trace::Read:
            if (m_state == Echo_) {
                m_echo -= static_cast<int>(c.bytes);
                if (m_echo == 0)
                    m_state = Await;
                else if (m_echo < 0)
                    m_state = Reading;  // echo and answer in one read
                return Echo;
            }
            if (m_state == Await) {
                if (c.bytes > 0 && c.first == VTMultiDrop::SOH)
                    m_state = Reading;
                return FirstByte;
            }
            return Rest;
        case call_trace::Sleep:
            return m_state == Echo_ ? Echo : m_state == Await ? FirstByte : m_state == Reading ? Rest : Settings;
        case call_trace::SetState:
        case call_trace::Purge:
        case call_trace::Escape:
            m_state = Between;
            return Settings;
        default:
            return Handling;
        }
    }

    Exchange& m_e;
    State m_state = Between;
    int m_echo = 0;
};

// The calls of one thread, in the order it made them.
std::vector<Call> OfThread(const std::vector<Call>& calls, DWORD thread)
{
    std::vector<Call> own;
    for (const Call& c : calls)
        if (c.thread == thread)
            own.push_back(c);
    return own;
}

bool HasWrite(const std::vector<Call>& calls, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        if (calls[i].kind == call_trace::Write)
            return true;
    return false;
}

// The exchange of calls [from, to), timed from `since`; the handling runs
// from its last line call to `until` (0: none).
Exchange Classify(const std::vector<Call>& calls, size_t from, size_t to, LONGLONG since, LONGLONG until)
{
    Exchange e = {Command, {}};
    Classifier classifier(e);
    LONGLONG last = since;
    for (size_t i = from; i < to; ++i) {
        if (!IsLineCall(calls[i]) && calls[i].kind != call_trace::Sleep)
            continue;
        classifier.Take(calls[i], last);
        last = calls[i].end;
    }
    if (until > last)
        e.ms[Handling] += Ms(last, until);
    return e;
}

}  // namespace

const char* Name(Phase phase)
{
    static const char* const names[PhaseCount] = {"pause", "lock", "settings", "echo", "first byte", "rest",
                                                  "handling"};
    return names[phase];
}

std::vector<Exchange> OfBusThreads(const std::vector<Call>& calls, DWORD exceptThread,
                                   const CRITICAL_SECTION* portLock)
{
    std::vector<DWORD> threads;
    for (const Call& c : calls)
        if (c.thread != exceptThread && c.kind == call_trace::Enter &&
            c.arg == reinterpret_cast<ULONG_PTR>(portLock)) {
            bool known = false;
            for (DWORD t : threads)
                known = known || t == c.thread;
            if (!known)
                threads.push_back(c.thread);
        }

    std::vector<Exchange> exchanges;
    for (DWORD thread : threads) {
        const std::vector<Call> own = OfThread(calls, thread);
        // A cycle begins with the pause and the wait for the port lock.
        std::vector<size_t> starts;
        for (size_t i = 0; i + 1 < own.size(); ++i)
            if (own[i].kind == call_trace::Sleep && own[i + 1].kind == call_trace::Enter &&
                own[i + 1].arg == reinterpret_cast<ULONG_PTR>(portLock))
                starts.push_back(i);
        // Whole cycles only: the last one ends after the trace did.
        for (size_t k = 0; k + 1 < starts.size(); ++k) {
            const size_t body = starts[k] + 2;
            const size_t end = starts[k + 1];
            if (!HasWrite(own, body, end))
                continue;  // nothing sent in this cycle
            const Call& pause = own[starts[k]];
            const Call& lock = own[starts[k] + 1];
            Exchange e = Classify(own, body, end, lock.end, own[end].start);
            e.ms[Pause] = Ms(pause.start, pause.end);
            e.ms[Lock] = Ms(lock.start, lock.end);
            exchanges.push_back(e);
        }
    }
    return exchanges;
}

std::vector<Exchange> OfMarks(const std::vector<Call>& calls, DWORD thread)
{
    const std::vector<Call> own = OfThread(calls, thread);
    std::vector<size_t> marks;
    for (size_t i = 0; i < own.size(); ++i)
        if (own[i].kind == call_trace::Mark)
            marks.push_back(i);
    std::vector<Exchange> exchanges;
    for (size_t k = 0; k < marks.size(); ++k) {
        const size_t end = k + 1 < marks.size() ? marks[k + 1] : own.size();
        if (HasWrite(own, marks[k] + 1, end))
            exchanges.push_back(Classify(own, marks[k] + 1, end, own[marks[k]].end, 0));
    }
    return exchanges;
}

double Mean::Total() const
{
    double total = 0;
    for (double t : ms)
        total += t;
    return total;
}

Mean Average(const std::vector<Exchange>& exchanges, Kind kind)
{
    Mean mean;
    for (const Exchange& e : exchanges) {
        if (e.kind != kind)
            continue;
        ++mean.count;
        for (int p = 0; p < PhaseCount; ++p)
            mean.ms[p] += e.ms[p];
    }
    if (mean.count)
        for (double& t : mean.ms)
            t /= mean.count;
    return mean;
}

}  // namespace exchange_phases
