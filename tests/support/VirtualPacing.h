#pragma once
// A clock for window tests that moves at once: SendCommand's 300 ms waits, Delay pauses and the
// blocking sleeps advance virtual milliseconds, the 5 ms poll of the port runs on every fifth of
// them, and events are processed after each one. The simulated port reads the same clock, so the
// module's reply timing and the line's byte times stay exact while a test costs no real time.

#include "terminal/Pacing.h"

#include <QCoreApplication>

#include <functional>

namespace quillon::testing {

class VirtualPacing : public Pacing {
public:
    static constexpr int kPollMs = 5;

    qint64 NowMs() const { return m_nowMs; }
    /// The poll of the receive monitor; run every kPollMs of virtual time.
    void SetPoll(std::function<void()> poll) { m_poll = std::move(poll); }
    /// Run after every virtual millisecond, as a 1 ms timer of the event loop would be.
    void SetEachMs(std::function<void()> each) { m_eachMs = std::move(each); }

    void RunEvents(int ms, const std::function<bool()> &done) override
    {
        const qint64 end = m_nowMs + ms;
        while (m_nowMs < end && !done()) {
            ++m_nowMs;
            if (m_nowMs % kPollMs == 0 && m_poll)
                m_poll();
            QCoreApplication::processEvents();
            if (m_eachMs)
                m_eachMs();
        }
    }
    void Block(int ms) override { m_nowMs += ms; }

    /// Lets `ms` of virtual time pass with events running, as the event loop would.
    void Pass(int ms) { RunEvents(ms, [] { return false; }); }

private:
    qint64 m_nowMs = 0;
    std::function<void()> m_poll;
    std::function<void()> m_eachMs;
};

} // namespace quillon::testing
