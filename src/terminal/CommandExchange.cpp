#include "terminal/CommandExchange.h"

#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QCoreApplication>

namespace quillon {

CommandExchange::CommandExchange(SerialComm &comm, CommandArea &textOut, ReceiveText &received,
                                 Lamp &sendLamp, WindowGate &gate, QObject *parent)
    : QObject(parent), m_comm(comm), m_textOut(textOut), m_received(received),
      m_sendLamp(sendLamp), m_gate(gate)
{
    m_timerDelay.setSingleShot(true);
    m_timerDelay.setTimerType(Qt::PreciseTimer);
    connect(&m_timerDelay, &QTimer::timeout, this, &CommandExchange::TimerDelay_Timer);
}

void CommandExchange::SendCommand(const QString &command)
{
    if (!m_portIsOpen() || m_closing)
        return;
    m_textOut.SetText(command + QLatin1String("\r\n"));
    m_textOut.setEnabled(false);
    m_state.SendInProgress = true;
    m_state.ChunkSize = static_cast<qint16>(m_comm.OutBufferSize());
    m_state.SentCount = 0;
    m_sendLamp.SetColor(kLampGreen);
    m_state.SendLength = static_cast<qint32>(m_textOut.Text().size());
    m_received.Clear();
    m_receiveChanged();
    if (!Write(TakeNextChunk()))
        return;

    m_timerDelay.setInterval(kReplyWaitMs);
    m_state.WaitActive = true;
    m_waitClock.start();
    m_timerDelay.start();
    m_gate.SetWindowEnabled(false);
    while (m_state.WaitActive)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    m_gate.SetWindowEnabled(true);
}

QString CommandExchange::TakeNextChunk()
{
    const qint32 start = m_state.SentCount;
    const qint32 rest = m_state.SendLength - m_state.SentCount;
    qint32 length;
    if (rest > m_state.ChunkSize) {
        length = m_state.ChunkSize;
        m_state.SentCount += m_state.ChunkSize;
    } else {
        length = rest;
        m_state.SentCount = m_state.SendLength;
    }
    m_textOut.SelectRange(start, length);
    return m_textOut.Text().mid(start, qMax(length, 0));
}

void CommandExchange::TimerDelay_Timer()
{
    // A timer may wake a hair early; the wait must never be shorter than its interval.
    const qint64 remainingNs = qint64(m_timerDelay.interval()) * 1000000 - m_waitClock.nsecsElapsed();
    if (m_state.WaitActive && remainingNs > 0) {
        m_timerDelay.start(int((remainingNs + 999999) / 1000000));
        return;
    }
    m_timerDelay.stop();
    m_state.WaitActive = false;
}

void CommandExchange::Delay(int mSec)
{
    if (mSec <= 0 || m_closing)
        return;
    const qint64 limitNs = qint64(mSec) * 1000000;
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!m_closing) {
        const qint64 remainingNs = limitNs - clock.nsecsElapsed();
        if (remainingNs <= 0)
            break;
        if (!wake.isActive())
            wake.start(int((remainingNs + 999999) / 1000000));
        try {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } catch (...) {
            // A failing handler must not end the pause early.
        }
    }
}

int CommandExchange::TextOut_KeyPress(int code)
{
    if (code != 13)
        return code;
    m_state.SendLength = static_cast<qint32>(m_textOut.Text().size());
    if (m_state.SendLength == 0)
        return 0;
    m_textOut.setEnabled(false);
    m_state.SendInProgress = true;
    m_state.ChunkSize = static_cast<qint16>(m_comm.OutBufferSize());
    m_state.SentCount = 0;
    m_sendLamp.SetColor(kLampGreen);
    const QString chunk = TakeNextChunk();
    const bool addCR = chunk.startsWith(QLatin1Char('a')) || chunk.startsWith(QLatin1Char('A'));
    Write(addCR ? chunk + QLatin1Char('\r') : chunk);
    return 0;
}

void CommandExchange::PumpSend()
{
    try {
        if (m_state.SentCount < m_state.SendLength) {
            if (m_comm.OutBufferCount() == 0)
                Write(TakeNextChunk() + QLatin1Char('\r'));
        } else if (m_state.SendInProgress && m_comm.OutBufferCount() == 0) {
            CompleteSend();
        }
    } catch (const CommError &) {
        // A failing buffer query skips this step only; the next tick tries again.
    }
}

void CommandExchange::CompleteSend()
{
    m_state.SendInProgress = false;
    m_textOut.SetText(QString());
    m_textOut.setEnabled(true);
    m_textOut.SetCaretToStart();
    if (m_gate.IsWindowEnabled())
        m_textOut.setFocus();
    m_sendLamp.SetColor(kLampYellow);
}

void CommandExchange::ResetSendCounters()
{
    m_state.SendLength = 0;
    m_state.SentCount = 0;
    m_state.SendInProgress = false;
}

void CommandExchange::AbandonSend()
{
    ResetSendCounters();
    m_sendLamp.SetColor(kLampYellow);
}

bool CommandExchange::Write(const QString &text)
{
    try {
        // One byte per character, as the port expects; characters beyond Latin-1 become '?'.
        m_comm.Output(text.toLatin1());
        return true;
    } catch (const CommError &error) {
        EndFailedSend(error);
        return false;
    }
}

void CommandExchange::EndFailedSend(const CommError &error)
{
    m_state.SendInProgress = false;
    m_state.SentCount = m_state.SendLength;
    if (m_portIsOpen()) {
        m_textOut.SetText(QString());
        m_textOut.setEnabled(true);
    }
    m_sendLamp.SetColor(kLampYellow);
    m_gate.SetWindowEnabled(true);
    m_writeFailed(error);
}

} // namespace quillon
