#pragma once
// A simulated GSM module on the far end of a serial line: V.250 command lines, 3GPP TS 27.007
// and 27.005 replies, a SIM, network registration, calls and a short-message store.
//
// It is driven purely through the SerialPeer calls; time comes only from their nowMs
// arguments (never from a clock of its own), so a test can replay an exchange exactly.
// Output is queued with the time it becomes ready and paced at the module's line speed
// (10 bits per byte); TakeForHost hands over what has been transmitted by then.
//
// Commands are rules in one table (name, accepted forms, SIM needs, handler); see
// "The simulated GSM module" in docs/ARCHITECTURE.md for the command list, the states and the
// default values.

#include "serial/SerialPeer.h"
#include "sim/AtCommandLine.h"
#include "sim/SimPdu.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace quillon::sim {

enum class SimState { Ready, WaitingPin, WaitingPin2, WaitingPuk, Absent };

/// Network registration as AT+CREG reports it: n is the unsolicited-report mode (0..2),
/// stat 0 not searching, 1 home, 2 searching, 3 denied, 4 unknown, 5 roaming.
struct Registration {
    int n = 0;
    int stat = 1;
};

/// One command line (or one message body after AT+CMGS) as the module took it in.
struct ReceivedLine {
    qint64 timeMs = 0;   ///< when its last character (CR, Ctrl-Z or ESC) arrived
    int baud = 0;        ///< the speed it came at
    QByteArray text;     ///< command lines: "AT..." without the CR; bodies: with Ctrl-Z or ESC
    bool messageBody = false;
};

/// A message in the module's store (memory "SM").
struct StoredMessage {
    int index = 0;       ///< 1..kStorageSize
    int status = 0;      ///< 0 REC UNREAD, 1 REC READ, 2 STO UNSENT, 3 STO SENT
    QByteArray pdu;      ///< whole PDU octets, service-centre address first
};

/// A message the host sent with AT+CMGS and the module accepted.
struct SentMessage {
    qint64 timeMs = 0;
    int reference = 0;       ///< the <mr> the module answered
    bool pduMode = true;
    QString destination;     ///< "+8613987654321" (PDU mode) or the number as typed (text mode)
    QString text;            ///< decoded user data (header skipped) or the text-mode body
    QByteArray pduHex;       ///< the PDU as received (PDU mode only)
};

struct LogEvent {
    enum class Kind { CommandLine, MessageBody, Ignored, State };
    qint64 timeMs = 0;
    int baud = 0;            ///< speed of the traffic concerned, 0 for state changes
    Kind kind = Kind::State;
    QString text;            ///< control characters shown as <CR>, <1A>...
};

class GsmModule : public SerialPeer {
public:
    static constexpr int kLineBufferSize = 512;   ///< characters of one command line kept
    static constexpr int kBodyBufferSize = 1024;  ///< characters of one message body kept
    static constexpr int kOutputLimit = 8192;     ///< bytes queued for the host at most
    static constexpr int kStorageSize = 20;
    static constexpr int kReceivedLinesKept = 10000;
    static constexpr qint64 kBootMs = 200;        ///< power-on or reset to ready
    static constexpr qint64 kRingIntervalMs = 3000;
    static constexpr qint64 kMinPowerPulseMs = 10;
    static constexpr qint64 kDialToActiveMs = 2000;
    static constexpr int kDefaultReplyDelayMs = 5;
    static constexpr int kDefaultBaud = 115200;
    /// Speeds AT+IPR accepts and automatic detection recognises.
    static constexpr std::array<int, 13> kSpeeds = {300, 600, 1200, 2400, 4800, 9600, 14400,
                                                    19200, 28800, 38400, 57600, 115200, 230400};

    /// Powered on and ready, fixed at kDefaultBaud, echo on, SIM ready with PIN "1234",
    /// registered at home (0,1), signal 20,0, the default messages in store.
    GsmModule();
    ~GsmModule() override;

    // SerialPeer
    void HostOpened(int baud, qint64 nowMs) override;
    void HostClosed(qint64 nowMs) override;
    void ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs) override;
    QByteArray TakeForHost(int baud, qint64 nowMs) override;
    void HostLines(bool dtr, bool rts, qint64 nowMs) override;
    PeerLines Lines(qint64 nowMs) override;

    // State a test or a user sets. Each takes effect at the model's current time (the latest
    // nowMs it has seen).

    /// Sets the SIM's state now and after every power-on. WaitingPuk also blocks the PIN.
    void SetSimState(SimState state);
    SimState CurrentSimState() const { return m_sim; }
    /// The PIN AT+CPIN accepts (default "1234"); the PUK is "12345678" unless set.
    void SetPin(const QByteArray &pin) { m_pin = pin; }
    void SetPuk(const QByteArray &puk) { m_puk = puk; }
    /// The PIN2 AT+CPIN accepts while the SIM waits for PIN2 (default "5678").
    void SetPin2(const QByteArray &pin2) { m_pin2 = pin2; }

    /// Registration reported by AT+CREG?, or nullopt for a module that gives no +CREG line.
    /// n becomes part of the factory and stored profiles too, so AT&F keeps it. A change of
    /// stat while n > 0 is reported unsolicited. While the SIM is locked or absent, stat reads 0.
    void SetRegistration(std::optional<Registration> registration);
    void SetSignalQuality(int rssi, int ber);

    /// Echo of received characters; like n above it is written to all three profiles.
    void SetEcho(bool on);
    bool Echo() const { return m_p.echo; }

    /// The speed the module talks at now and after power-on (0 = automatic detection).
    /// AT&F still returns to automatic detection.
    void SetBaud(int baud);
    /// The fixed speed, or the speed last detected (0 before any) when AutoBaud().
    int Baud() const { return m_speed; }
    bool AutoBaud() const { return m_p.ipr == 0; }

    /// Switching on boots for kBootMs and then sends "^SYSSTART" (fixed speed only); switching
    /// off is immediate and silent.
    void SetPowered(bool on);
    bool Powered() const { return m_powered; }
    bool Booting() const { return m_booting; }

    /// Time from a line's CR (or a body's Ctrl-Z) to the start of its reply.
    void SetReplyDelayMs(int ms) { m_replyDelayUs = qMax(0, ms) * qint64(1000); }
    int ReplyDelayMs() const { return int(m_replyDelayUs / 1000); }

    /// A call from `number` starts ringing now: RING (or +CRING: VOICE) every kRingIntervalMs,
    /// +CLIP after it when enabled, CD asserted until the call ends. Ignored while a call exists.
    void StartIncomingCall(const QString &number);
    /// The far end hangs up: "NO CARRIER" when the call was connected.
    void EndCall();
    bool InCall() const { return m_call.has_value(); }

    /// DSR and CTS as shown while powered (both on by default); off while powered off.
    void SetInputLines(bool dsr, bool cts);

    QString Imei() const { return m_imei; }
    void SetImei(const QString &imei) { m_imei = imei; }
    QString Imsi() const { return m_imsi; }
    /// The real-time clock, running from the model's current time.
    void SetClock(const PduTimestamp &time);

    QList<StoredMessage> StoredMessages() const;
    /// Puts a whole PDU (service centre first) at index 1..kStorageSize; false if out of range.
    bool SetStoredMessage(int index, int status, const QByteArray &pduOctets);
    void ClearStoredMessages() { m_store = {}; }
    /// The messages a new module holds (listed in docs/ARCHITECTURE.md).
    static QList<StoredMessage> DefaultMessages();

    const QList<SentMessage> &SentMessages() const { return m_sent; }
    /// The last kReceivedLinesKept lines and bodies, oldest first.
    const QList<ReceivedLine> &ReceivedCommandLines() const { return m_received; }
    void ClearReceivedCommandLines() { m_received.clear(); }

    /// Called for every command line, body, ignored input and state change.
    void SetLogHook(std::function<void(const LogEvent &)> hook) { m_log = std::move(hook); }

private:
    struct Profile {
        bool echo = true;
        int cmee = 1;
        int crc = 0;
        int clip = 0;
        int creg = 0;
        int cmgf = 0;
        std::array<int, 5> cnmi = {0, 0, 0, 0, 0};
        int dtrMode = 2;
        int resultSet = 4;
        int ipr = 0;
        int snfs = 1;
        int ssync = 0;
        int s0 = 0;
        int s3 = 13;
        int s4 = 10;
        int s5 = 8;
    };

    struct Result {
        enum Kind : quint8 { Ok, Error, Cme, Cms, NoCarrier, Prompt };
        Kind kind = Ok;
        int code = 0;
    };

    enum class SimNeed : quint8 { None, Unlocked };
    enum class ErrorFamily : quint8 { Cme, Cms };

    struct CommandRule {
        const char *name;
        quint8 forms; ///< AtForm bits
        SimNeed sim;
        ErrorFamily family;
        Result (GsmModule::*run)(const AtCommand &);
    };

    enum class Input { Idle, GotA, Line, Body };

    struct Job {
        qint64 dueUs = 0;
        QByteArray text;
        int baud = 0;
        bool body = false;
        bool overflow = false; ///< the line or body outgrew its buffer
    };

    enum class AfterLine { None, PowerOff, Reset };

    struct OutByte {
        char byte;
        int baud;
        qint64 doneUs;
    };

    struct Call {
        enum class State { Incoming, Dialing, Active };
        State state = State::Incoming;
        bool incoming = true;
        QString number;
        qint64 sinceUs = 0;
        qint64 nextRingUs = 0;
        int rings = 0;
    };

    struct BodyRequest {
        bool pduMode = true;
        int tpduLength = 0;
        QString destination;
    };

    static const std::vector<CommandRule> &Rules();

    // Time and transport
    void Advance(qint64 untilUs);
    void HandleByte(char ch, int baud, qint64 atUs);
    bool Understands(char ch, int baud);
    void Emit(const QByteArray &bytes);
    void EmitUnsolicited(const QByteArray &text);
    void RunJob(const Job &job);
    void ExecuteLine(const QByteArray &line);
    void Record(const QByteArray &text, int baud, bool body);
    void Log(LogEvent::Kind kind, int baud, const QString &text);
    void PowerOn();
    void PowerOff();
    void FinishBoot();
    void StartBoot();
    void Ring();
    PduTimestamp ClockNow() const;
    void UpdateCall();

    // Replies
    void Info(const QByteArray &text);
    QByteArray FinalText(const Result &r) const;
    Result SimError(ErrorFamily family) const;
    bool SimUnlocked() const;
    int ReportedStat() const;
    QByteArray CregLine(bool unsolicited) const;
    Result Setting(const AtCommand &c, int &field, int low, int high);
    void CompleteBody(const QByteArray &body, bool overflow);

    // Handlers (one per command)
    Result CmdAnswer(const AtCommand &c);
    Result CmdDial(const AtCommand &c);
    Result CmdEcho(const AtCommand &c);
    Result CmdHangUp(const AtCommand &c);
    Result CmdInfo(const AtCommand &c);
    Result CmdResultSet(const AtCommand &c);
    Result CmdRestoreStored(const AtCommand &c);
    Result CmdSRegister(const AtCommand &c);
    Result CmdDtrMode(const AtCommand &c);
    Result CmdFactory(const AtCommand &c);
    Result CmdStore(const AtCommand &c);
    Result CmdCclk(const AtCommand &c);
    Result CmdCfun(const AtCommand &c);
    Result CmdCgmi(const AtCommand &c);
    Result CmdCgmm(const AtCommand &c);
    Result CmdCgmr(const AtCommand &c);
    Result CmdCgsn(const AtCommand &c);
    Result CmdCimi(const AtCommand &c);
    Result CmdClcc(const AtCommand &c);
    Result CmdClip(const AtCommand &c);
    Result CmdCmee(const AtCommand &c);
    Result CmdCops(const AtCommand &c);
    Result CmdCpin(const AtCommand &c);
    Result CmdCrc(const AtCommand &c);
    Result CmdCreg(const AtCommand &c);
    Result CmdCsq(const AtCommand &c);
    Result CmdIpr(const AtCommand &c);
    Result CmdVts(const AtCommand &c);
    Result CmdSbc(const AtCommand &c);
    Result CmdSmso(const AtCommand &c);
    Result CmdSnfd(const AtCommand &c);
    Result CmdSnfs(const AtCommand &c);
    Result CmdSsync(const AtCommand &c);
    Result CmdCmgf(const AtCommand &c);
    Result CmdCmgd(const AtCommand &c);
    Result CmdCmgr(const AtCommand &c);
    Result CmdCmgs(const AtCommand &c);
    Result CmdCnmi(const AtCommand &c);
    Result CmdCsca(const AtCommand &c);

    // Profiles: m_p is in force, m_stored is what AT&W saved, m_factory what AT&F loads.
    Profile m_factory;
    Profile m_stored;
    Profile m_p;

    // Module
    bool m_powered = true;
    bool m_booting = false;
    qint64 m_bootDoneUs = 0;
    int m_speed = kDefaultBaud;
    int m_pendingSpeed = -1;
    bool m_dsr = true;
    bool m_cts = true;
    int m_fun = 1;
    qint64 m_replyDelayUs = kDefaultReplyDelayMs * 1000;

    // SIM and network
    SimState m_simAtPowerOn = SimState::Ready;
    SimState m_sim = SimState::Ready;
    QByteArray m_pin = "1234";
    QByteArray m_puk = "12345678";
    QByteArray m_pin2 = "5678";
    int m_pinAttempts = 3;
    bool m_registrationReported = true;
    int m_stat = 1;
    int m_rssi = 20;
    int m_ber = 0;
    QString m_imei = QStringLiteral("352099001761481");
    QString m_imsi = QStringLiteral("460001357924680");
    PduTimestamp m_clock;
    qint64 m_clockSetUs = -1; ///< -1: the clock starts at the first time the model sees
    bool m_timeSeen = false;

    // Calls
    std::optional<Call> m_call;

    // Messages
    std::array<std::optional<StoredMessage>, kStorageSize> m_store;
    QList<SentMessage> m_sent;
    QString m_serviceCentre = QStringLiteral("+8613800210500");
    int m_nextReference = 1;
    std::optional<BodyRequest> m_bodyRequest;

    // Input
    Input m_input = Input::Idle;
    QByteArray m_line;
    bool m_lineOverflow = false;
    QByteArray m_lastLine;
    QByteArray m_body;
    bool m_bodyOverflow = false;
    std::deque<Job> m_jobs;
    QList<ReceivedLine> m_received;

    // Host side
    bool m_hostOpen = true;
    bool m_dtrKnown = false;
    bool m_dtr = false;
    qint64 m_dtrLowSinceUs = -1;

    // Output
    qint64 m_nowUs = 0;
    qint64 m_txFreeUs = 0;
    std::deque<OutByte> m_out;
    QByteArray m_reply;    ///< information text gathered while a line executes
    bool m_stopLine = false;
    AfterLine m_afterLine = AfterLine::None;

    std::function<void(const LogEvent &)> m_log;
};

} // namespace quillon::sim
