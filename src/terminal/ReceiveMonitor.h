#pragma once
// The receive monitor: one tick of the 5 ms polling timer drains the port into the receive
// text, lights the receive lamp, drives the chunked send and refreshes the line labels.

#include "serial/SerialComm.h"
#include "terminal/ReceiveText.h"

#include <functional>

namespace quillon {

class CommandExchange;
class Lamp;

class ReceiveMonitor {
public:
    ReceiveMonitor(SerialComm &comm, ReceiveText &received, Lamp &receiveLamp,
                   CommandExchange &exchange);

    /// Whether bytes are rendered as hexadecimal (read at every tick).
    void SetHexDisplay(std::function<bool()> hex) { m_hexDisplay = std::move(hex); }
    /// The line-label refresh run at the end of every tick; may throw.
    void SetShowLineStates(std::function<void()> show) { m_showLineStates = std::move(show); }

    /// One tick. Every step stands alone: a failing step is skipped and the next one runs.
    void TimerRead_Timer();

private:
    SerialComm &m_comm;
    ReceiveText &m_received;
    Lamp &m_receiveLamp;
    CommandExchange &m_exchange;
    std::function<bool()> m_hexDisplay = [] { return false; };
    std::function<void()> m_showLineStates = [] {};
    QString m_rendering; // reused between ticks to avoid an allocation per tick
};

} // namespace quillon
