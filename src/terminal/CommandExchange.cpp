#include "terminal/CommandExchange.h"

#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

namespace quillon {

CommandExchange::CommandExchange(SerialComm &comm, CommandArea &textOut, ReceiveText &received,
                                 Lamp &sendLamp, WindowGate &gate, QObject *parent)
    : QObject(parent), m_comm(comm), m_textOut(textOut), m_received(received),
      m_sendLamp(sendLamp), m_gate(gate)
{
}

std::optional<QString> CommandExchange::UnsendableText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).unicode() <= 0xFF)
            continue;
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        return QStringLiteral("“%1”不能按原样发送：串口每个字符只发一个字节，只能发送单字节（Latin-1）字符。"
                              "请删去或改写这个字符后再发送。")
            .arg(text.mid(i, length));
    }
    return std::nullopt;
}

void CommandExchange::SendCommand(const QString &command)
{
    if (!m_portIsOpen() || m_closing)
        return;
    if (const auto refused = UnsendableText(command)) {
        Q_EMIT Refused(*refused);
        return;
    }
    m_textOut.SetText(command + QLatin1String("\r\n"));
    m_textOut.setEnabled(false);
    m_state.SendInProgress = true;
    m_state.ChunkSize = static_cast<qint16>(m_comm.OutBufferSize());
    m_state.SentCount = 0;
    m_sendLamp.SetColor(kLampGreen);
    m_state.SendLength = static_cast<qint32>(m_textOut.Text().size());
    m_received.Clear();
    if (!Write(TakeNextChunk()))
        return;

    m_state.WaitActive = true;
    {
        // Never entered again from inside its own wait: no input reaches the window meanwhile.
        WindowGate::Closed closed(m_gate);
        m_pacing->RunEvents(kReplyWaitMs, [this] { return !m_state.WaitActive; });
    }
    TimerDelay_Timer();
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
    m_state.WaitActive = false;
}

void CommandExchange::Delay(int mSec)
{
    if (mSec <= 0 || m_closing)
        return;
    m_pacing->RunEvents(mSec, [this] { return m_closing; });
}

void CommandExchange::Sleep(int mSec)
{
    m_pacing->Block(mSec);
}

int CommandExchange::TextOut_KeyPress(int code)
{
    if (code != 13)
        return code;
    m_state.SendLength = static_cast<qint32>(m_textOut.Text().size());
    if (m_state.SendLength == 0)
        return 0;
    if (const auto refused = UnsendableText(m_textOut.Text())) {
        m_state.SendLength = 0;
        Q_EMIT Refused(*refused);
        return 0;
    }
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
    // A failing buffer query skips this step only; the next tick tries again.
    int pending = -1;
    if (!Attempt([&] { pending = m_comm.OutBufferCount(); }) || pending != 0)
        return;
    if (m_state.SentCount < m_state.SendLength)
        Write(TakeNextChunk() + QLatin1Char('\r'));
    else if (m_state.SendInProgress)
        CompleteSend();
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
        // One byte per character; texts with characters beyond Latin-1 were refused before.
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
    // The window stays as it is: during SendCommand's wait it opens when the wait has run out.
    Q_EMIT WriteFailed(error);
}

} // namespace quillon
