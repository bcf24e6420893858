#pragma once
// How the command exchange lets time pass. The real pacing runs the event loop (and with it the
// 5 ms poll of the port) for the time asked, on a monotonic clock; tests substitute a virtual
// clock that moves at once, so the operations' fixed waits cost no real time there.

#include <functional>

namespace quillon {

class Pacing {
public:
    virtual ~Pacing() = default;
    /// Processes events until `ms` have passed or `done()` answers true (asked after every batch
    /// of events). Returns at once for 0 or less.
    virtual void RunEvents(int ms, const std::function<bool()> &done) = 0;
    /// Blocks the thread for `ms`: no event runs meanwhile, the port is not polled.
    virtual void Block(int ms) = 0;
};

/// Real time. Sleeps between events instead of spinning; a precise single-shot timer wakes the
/// loop at the deadline, so a wait never ends early and costs almost no CPU.
class RealPacing : public Pacing {
public:
    void RunEvents(int ms, const std::function<bool()> &done) override;
    void Block(int ms) override;
};

} // namespace quillon
