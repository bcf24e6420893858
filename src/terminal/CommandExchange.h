#pragma once
// The command exchange: sending one command and waiting a fixed 300 ms for its replies, the
// chunked send shared with typed commands and the receive monitor, and the pause between the
// steps of an operation.

#include "serial/SerialComm.h"
#include "terminal/Pacing.h"
#include "terminal/ReceiveText.h"

#include <QColor>
#include <QObject>

#include <functional>
#include <optional>

namespace quillon {

class CommandArea;
class Lamp;
class WindowGate;

/// The send state shared by SendCommand, typed commands and the receive monitor.
///  Idle: !SendInProgress. Chunks pending: SendInProgress && SentCount < SendLength.
///  Draining: SendInProgress && SentCount == SendLength.
struct SendState {
    bool SendInProgress = false;
    qint32 SendLength = 0;
    qint32 SentCount = 0;
    qint16 ChunkSize = 0;
    bool WaitActive = false;
};

class CommandExchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyWaitMs = 300;

    CommandExchange(SerialComm &comm, CommandArea &textOut, ReceiveText &received, Lamp &sendLamp,
                    WindowGate &gate, QObject *parent = nullptr);

    /// Whether the port is open (owned by the port connection).
    void SetPortIsOpen(std::function<bool()> portIsOpen) { m_portIsOpen = std::move(portIsOpen); }
    /// How waits pass; real time unless a test substitutes a virtual clock. Must outlive this.
    void SetPacing(Pacing &pacing) { m_pacing = &pacing; }
    /// Once set, SendCommand and Delay return at once: the window is closing and the operation
    /// running in a nested loop must run out quickly.
    void SetClosing() { m_closing = true; }
    bool Closing() const { return m_closing; }

    /// Shows `command` + CR LF in the command area, empties the receive area, writes the first
    /// chunk and waits 300 ms with the window disabled while events (the receive monitor) run.
    /// Does nothing while the port is closed. A command holding a character that cannot go out
    /// as one byte is refused (Refused) and nothing is sent. A failed write of the first chunk
    /// ends the send at once (WriteFailed) and returns without waiting; a later chunk failing
    /// ends the send, but the wait runs out with the window still disabled.
    void SendCommand(const QString &command);

    /// Selects the next chunk after SentCount in the command area, advances SentCount past it,
    /// and returns it.
    QString TakeNextChunk();

    /// Ends SendCommand's wait once its 300 ms have passed.
    void TimerDelay_Timer();

    /// Processes events until at least `mSec` ms have passed on a monotonic clock; returns at
    /// once for 0 or less. The window stays open to input.
    void Delay(int mSec);
    /// Blocks the thread for `mSec` ms: no events, no polling, no painting while it lasts.
    void Sleep(int mSec);

    /// Handles a character typed into the command area; returns 0 to discard it. Enter sends the
    /// area's text (a single CR added only when it starts with "a" or "A"); a text holding a
    /// character that cannot go out as one byte is refused instead and stays in the area.
    int TextOut_KeyPress(int code);

    /// The message for a text that cannot go to the port byte for byte (a character beyond
    /// Latin-1), or nothing when every character can.
    static std::optional<QString> UnsendableText(const QString &text);

    /// The sending half of a receive-monitor tick: writes the next pending chunk (with a CR)
    /// once the output buffer is empty, or completes a drained send.
    void PumpSend();

    /// Back to Idle counters, as at every open of the port.
    void ResetSendCounters();
    /// The port went away under a send: back to Idle with the send lamp yellow, since no tick
    /// will ever complete it.
    void AbandonSend();

    SendState &State() { return m_state; }
    const SendState &State() const { return m_state; }

Q_SIGNALS:
    /// A write to the port failed; the send has already been ended.
    void WriteFailed(const CommError &error);
    /// A text was not sent; `text` says why and what to do.
    void Refused(const QString &text);

private:
    /// Writes `text` one byte per character. On failure ends the send and reports it.
    bool Write(const QString &text);
    void EndFailedSend(const CommError &error);
    void CompleteSend();

    SerialComm &m_comm;
    CommandArea &m_textOut;
    ReceiveText &m_received;
    Lamp &m_sendLamp;
    WindowGate &m_gate;

    SendState m_state;
    RealPacing m_realPacing;
    Pacing *m_pacing = &m_realPacing;
    bool m_closing = false;
    std::function<bool()> m_portIsOpen = [] { return false; };
};

/// Indicator colours.
inline const QColor kLampGreen{0, 255, 0};
inline const QColor kLampYellow{255, 255, 0};

} // namespace quillon
