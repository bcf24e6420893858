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
    bool nothingWaiting = false;
    try {
        if (m_comm.InBufferCount() == 0) {
            m_receiveLamp.SetColor(kLampYellow);
            nothingWaiting = true;
        }
    } catch (const CommError &) {
    }

    if (!nothingWaiting) {
        m_receiveLamp.SetColor(kLampGreen);
        QByteArray bytes;
        try {
            bytes = m_comm.Input();
        } catch (const CommError &) {
        }
        if (!bytes.isEmpty()) {
            m_rendering.clear();
            AppendRendering(m_rendering, bytes, m_hexDisplay());
            m_received.Append(m_rendering);
            m_receiveChanged();
        }
    }

    m_exchange.PumpSend();

    try {
        m_showLineStates();
    } catch (const CommError &) {
    }
}

} // namespace quillon
