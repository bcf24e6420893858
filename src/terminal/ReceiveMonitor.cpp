#include "terminal/ReceiveMonitor.h"

#include "terminal/ByteRendering.h"
#include "terminal/CommandExchange.h"
#include "terminal/Widgets.h"

namespace quillon {

ReceiveMonitor::ReceiveMonitor(SerialComm &comm, ReceiveText &received, Lamp &receiveLamp,
                               CommandExchange &exchange)
    : m_comm(comm), m_received(received), m_receiveLamp(receiveLamp), m_exchange(exchange)
{
}

void ReceiveMonitor::TimerRead_Timer()
{
    int waiting = -1;
    Attempt([&] { waiting = m_comm.InBufferCount(); });
    if (waiting == 0) {
        m_receiveLamp.SetColor(kLampYellow);
    } else {
        // A failed count is no answer of 0: the read is tried, as the steps stand alone.
        m_receiveLamp.SetColor(kLampGreen);
        QByteArray bytes;
        Attempt([&] { bytes = m_comm.Input(); });
        if (!bytes.isEmpty()) {
            m_rendering.clear();
            AppendRendering(m_rendering, bytes, m_hexDisplay());
            m_received.Append(m_rendering);
        }
    }

    m_exchange.PumpSend();

    Attempt(m_showLineStates);
}

} // namespace quillon
