#include "sim/GsmModule.h"

#include <limits>

namespace quillon::sim {

namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEsc = 0x1B;
// Lines waiting for their reply: a host that floods complete lines loses the excess, as a
// module whose command buffer is full would.
constexpr std::size_t kMaxJobs = 16;

qint64 ByteUs(int baud)
{
    return (10'000'000 + baud - 1) / baud;
}

bool IsSpeed(int baud)
{
    for (int s : GsmModule::kSpeeds) {
        if (s == baud)
            return true;
    }
    return false;
}

QString Printable(QByteArrayView bytes)
{
    QString out;
    for (char c : bytes) {
        const auto u = quint8(c);
        if (u == '\r')
            out += QStringLiteral("<CR>");
        else if (u == '\n')
            out += QStringLiteral("<LF>");
        else if (u < 0x20 || u >= 0x7F)
            out += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(c);
    }
    return out;
}

// What a receiver at the wrong speed makes of one byte: framing noise, never plain text.
char Noise(char byte, int sentBaud, int readBaud)
{
    return char(0x80 | ((quint8(byte) * 31 + sentBaud / 300 + readBaud / 300) & 0x7F));
}

} // namespace

GsmModule::GsmModule()
{
    m_stored = m_factory;
    m_stored.ipr = kDefaultBaud;
    m_p = m_stored;
    m_clock = {24, 5, 20, 8, 30, 0, 32};
    for (const StoredMessage &m : DefaultMessages())
        m_store[m.index - 1] = m;
}

GsmModule::~GsmModule() = default;

// ---- SerialPeer -----------------------------------------------------------------------------

void GsmModule::HostOpened(int baud, qint64 nowMs)
{
    Q_UNUSED(baud);
    Advance(nowMs * 1000);
    // What went out while nobody listened is gone.
    while (!m_out.empty() && m_out.front().doneUs <= m_nowUs)
        m_out.pop_front();
    m_hostOpen = true;
    m_dtrKnown = false;
}

void GsmModule::HostClosed(qint64 nowMs)
{
    Advance(nowMs * 1000);
    m_hostOpen = false;
    m_dtrKnown = false;
}

void GsmModule::ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs)
{
    const qint64 endUs = nowMs * 1000;
    const qint64 byteUs = baud > 0 ? ByteUs(baud) : 0;
    int ignored = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        // The last byte finished at nowMs; the ones before it one character time apart each.
        const qint64 atUs = qMax(m_nowUs, endUs - (bytes.size() - 1 - i) * byteUs);
        Advance(atUs);
        const bool taken = m_powered && !m_booting && Understands(bytes[i], baud);
        if (taken)
            HandleByte(bytes[i], baud, atUs);
        else
            ++ignored;
    }
    Advance(endUs);
    if (ignored) {
        const QString why = !m_powered ? QStringLiteral("powered off")
            : m_booting                ? QStringLiteral("starting up")
                                       : QStringLiteral("module at %1 bps").arg(m_speed);
        Log(LogEvent::Kind::Ignored, baud,
            QStringLiteral("%1 byte(s) not understood (%2)").arg(ignored).arg(why));
    }
}

QByteArray GsmModule::TakeForHost(int baud, qint64 nowMs)
{
    Advance(nowMs * 1000);
    QByteArray out;
    while (!m_out.empty() && m_out.front().doneUs <= m_nowUs) {
        const OutByte o = m_out.front();
        m_out.pop_front();
        out.append(o.baud == baud ? o.byte : Noise(o.byte, o.baud, baud));
    }
    return out;
}

void GsmModule::HostLines(bool dtr, bool rts, qint64 nowMs)
{
    Q_UNUSED(rts);
    Advance(nowMs * 1000);
    if (!m_dtrKnown) {
        // The first report after the port opens: a line already low counts from now.
        m_dtrKnown = true;
        m_dtr = dtr;
        m_dtrLowSinceUs = dtr ? -1 : m_nowUs;
        return;
    }
    if (m_dtr && !dtr) {
        m_dtrLowSinceUs = m_nowUs;
        if (m_powered && m_input == Input::Body && m_p.dtrMode != 0) {
            // &D1/&D2: losing DTR returns the module to command state.
            m_input = Input::Idle;
            m_bodyRequest.reset();
            Log(LogEvent::Kind::State, 0, QStringLiteral("DTR dropped: message input abandoned"));
        }
    } else if (!m_dtr && dtr) {
        const bool pulse = m_dtrLowSinceUs >= 0
            && m_nowUs - m_dtrLowSinceUs >= kMinPowerPulseMs * 1000;
        m_dtrLowSinceUs = -1;
        if (pulse && !m_powered) {
            Log(LogEvent::Kind::State, 0, QStringLiteral("DTR pulse: switching on"));
            PowerOn();
        }
    }
    m_dtr = dtr;
}

PeerLines GsmModule::Lines(qint64 nowMs)
{
    Advance(nowMs * 1000);
    PeerLines lines;
    const bool up = m_powered && !m_booting;
    lines.dsr = up && m_dsr;
    lines.cts = up && m_cts;
    lines.cd = up && m_call.has_value();
    return lines;
}

// ---- State setters --------------------------------------------------------------------------

void GsmModule::SetSimState(SimState state)
{
    m_simAtPowerOn = state;
    m_sim = state;
    m_pinAttempts = 3;
}

void GsmModule::SetRegistration(std::optional<Registration> registration)
{
    m_registrationReported = registration.has_value();
    if (!registration)
        return;
    const int before = ReportedStat();
    m_factory.creg = m_stored.creg = m_p.creg = qBound(0, registration->n, 2);
    m_stat = registration->stat;
    if (m_powered && !m_booting && m_p.creg > 0 && ReportedStat() != before)
        EmitUnsolicited(CregLine(true));
}

void GsmModule::SetSignalQuality(int rssi, int ber)
{
    m_rssi = rssi;
    m_ber = ber;
}

void GsmModule::SetEcho(bool on)
{
    m_factory.echo = m_stored.echo = m_p.echo = on;
}

void GsmModule::SetBaud(int baud)
{
    baud = qMax(0, baud);
    m_stored.ipr = m_p.ipr = baud;
    m_speed = baud;
}

void GsmModule::SetPowered(bool on)
{
    if (on)
        PowerOn();
    else
        PowerOff();
}

void GsmModule::StartIncomingCall(const QString &number)
{
    if (m_call)
        return;
    Call call;
    call.state = Call::State::Incoming;
    call.incoming = true;
    call.number = number;
    call.sinceUs = m_nowUs;
    call.nextRingUs = m_nowUs;
    m_call = call;
    Log(LogEvent::Kind::State, 0, QStringLiteral("incoming call from %1").arg(number));
}

void GsmModule::EndCall()
{
    if (!m_call)
        return;
    const bool connected = m_call->state == Call::State::Active;
    m_call.reset();
    if (connected && m_powered && !m_booting)
        EmitUnsolicited("NO CARRIER");
    Log(LogEvent::Kind::State, 0, QStringLiteral("call ended by the far end"));
}

void GsmModule::SetInputLines(bool dsr, bool cts)
{
    m_dsr = dsr;
    m_cts = cts;
}

void GsmModule::SetClock(const PduTimestamp &time)
{
    m_clock = time;
    m_clockSetUs = m_timeSeen ? m_nowUs : -1;
}

QList<StoredMessage> GsmModule::StoredMessages() const
{
    QList<StoredMessage> out;
    for (const auto &m : m_store) {
        if (m)
            out.append(*m);
    }
    return out;
}

bool GsmModule::SetStoredMessage(int index, int status, const QByteArray &pduOctets)
{
    if (index < 1 || index > kStorageSize)
        return false;
    m_store[index - 1] = StoredMessage{index, status, pduOctets};
    return true;
}

// ---- Time -----------------------------------------------------------------------------------

void GsmModule::Advance(qint64 untilUs)
{
    if (m_clockSetUs < 0)
        m_clockSetUs = qMax(m_nowUs, untilUs);
    m_timeSeen = true;
    const qint64 ringUs = kRingIntervalMs * 1000;
    for (;;) {
        enum { None, Boot, Job, Ring } what = None;
        qint64 next = std::numeric_limits<qint64>::max();
        if (m_booting) {
            next = m_bootDoneUs;
            what = Boot;
        }
        if (!m_jobs.empty() && m_jobs.front().dueUs < next) {
            next = m_jobs.front().dueUs;
            what = Job;
        }
        if (m_call && m_call->state == Call::State::Incoming && m_powered && !m_booting
            && m_call->nextRingUs < next) {
            // After a long gap only the latest ring is sounded; the missed ones still count
            // towards automatic answering.
            if (untilUs - m_call->nextRingUs >= ringUs) {
                const qint64 missed = (untilUs - m_call->nextRingUs) / ringUs;
                m_call->nextRingUs += missed * ringUs;
                m_call->rings += int(qMin<qint64>(missed, 255));
            }
            next = m_call->nextRingUs;
            what = Ring;
        }
        if (what == None || next > untilUs)
            break;
        m_nowUs = qMax(m_nowUs, next);
        switch (what) {
        case Boot:
            FinishBoot();
            break;
        case Job: {
            const GsmModule::Job job = m_jobs.front();
            m_jobs.pop_front();
            RunJob(job);
            break;
        }
        case Ring:
            GsmModule::Ring();
            break;
        case None:
            break;
        }
    }
    m_nowUs = qMax(m_nowUs, untilUs);
    if (!m_hostOpen) {
        while (!m_out.empty() && m_out.front().doneUs <= m_nowUs)
            m_out.pop_front();
    }
}

// ---- Input ----------------------------------------------------------------------------------

bool GsmModule::Understands(char ch, int baud)
{
    if (baud <= 0)
        return false;
    if (m_p.ipr == 0 && (m_input == Input::Idle || m_input == Input::GotA)
        && (ch == 'A' || ch == 'a') && IsSpeed(baud)) {
        // Automatic detection measures the "A" of every command line.
        if (m_speed != baud)
            Log(LogEvent::Kind::State, baud, QStringLiteral("speed detected: %1 bps").arg(baud));
        m_speed = baud;
        return true;
    }
    return baud == m_speed;
}

void GsmModule::HandleByte(char ch, int baud, qint64 atUs)
{
    if (m_p.echo)
        Emit(QByteArray(1, ch));
    const auto u = quint8(ch);
    switch (m_input) {
    case Input::Idle:
        if (ch == 'A' || ch == 'a') {
            m_input = Input::GotA;
            m_line = QByteArray(1, ch);
        }
        break;
    case Input::GotA:
        if (ch == 'T' || ch == 't') {
            m_input = Input::Line;
            m_line.append(ch);
            m_lineOverflow = false;
        } else if (ch == '/') {
            // "A/" repeats the previous command line.
            m_input = Input::Idle;
            if (!m_lastLine.isEmpty()) {
                Record(m_lastLine, baud, false);
                Job job{qMax(atUs + m_replyDelayUs, m_jobs.empty() ? 0 : m_jobs.back().dueUs),
                        m_lastLine, baud};
                if (m_jobs.size() < kMaxJobs)
                    m_jobs.push_back(job);
            }
        } else if (ch != 'A' && ch != 'a') {
            m_input = Input::Idle;
        } else {
            m_line = QByteArray(1, ch);
        }
        break;
    case Input::Line:
        if (u == m_p.s3) {
            m_input = Input::Idle;
            Record(m_line, baud, false);
            m_lastLine = m_line;
            Job job{qMax(atUs + m_replyDelayUs, m_jobs.empty() ? 0 : m_jobs.back().dueUs), m_line,
                    baud, false, m_lineOverflow};
            if (m_jobs.size() < kMaxJobs)
                m_jobs.push_back(job);
        } else if (u == m_p.s5) {
            if (m_line.size() > 2) // the "AT" prefix cannot be erased
                m_line.chop(1);
        } else if (u < 0x20 || u == 0x7F) {
            // Other control characters are not part of a command line.
        } else if (m_line.size() < kLineBufferSize) {
            m_line.append(ch);
        } else {
            m_lineOverflow = true;
        }
        break;
    case Input::Body: {
        if (ch == kCtrlZ || ch == kEsc) {
            m_input = Input::Idle;
            const QByteArray text = m_body + ch;
            Record(text, baud, true);
            Job job{qMax(atUs + m_replyDelayUs, m_jobs.empty() ? 0 : m_jobs.back().dueUs), text,
                    baud, true, m_bodyOverflow};
            if (m_jobs.size() < kMaxJobs)
                m_jobs.push_back(job);
            break;
        }
        const bool pduMode = m_bodyRequest && m_bodyRequest->pduMode;
        if (pduMode && (u == m_p.s3 || u == m_p.s4 || ch == ' '))
            break; // line breaks and blanks between hex digits carry nothing
        if (!pduMode && m_body.isEmpty() && u == m_p.s4)
            break; // the LF that followed the command's own CR
        if (m_body.size() < kBodyBufferSize)
            m_body.append(ch);
        else
            m_bodyOverflow = true;
        if (!pduMode && u == m_p.s3)
            Emit("\r\n> ");
        break;
    }
    }
}

void GsmModule::Record(const QByteArray &text, int baud, bool body)
{
    m_received.append(ReceivedLine{m_nowUs / 1000, baud, text, body});
    if (m_received.size() > kReceivedLinesKept)
        m_received.removeFirst();
    Log(body ? LogEvent::Kind::MessageBody : LogEvent::Kind::CommandLine, baud, Printable(text));
}

void GsmModule::Log(LogEvent::Kind kind, int baud, const QString &text)
{
    if (m_log)
        m_log(LogEvent{m_nowUs / 1000, baud, kind, text});
}

// ---- Output ---------------------------------------------------------------------------------

void GsmModule::Emit(const QByteArray &bytes)
{
    if (m_speed <= 0)
        return; // automatic detection has not found a speed to answer at
    const qint64 byteUs = ByteUs(m_speed);
    for (char b : bytes) {
        const qint64 doneUs = qMax(m_nowUs, m_txFreeUs) + byteUs;
        m_txFreeUs = doneUs;
        if (m_out.size() < std::size_t(kOutputLimit))
            m_out.push_back(OutByte{b, m_speed, doneUs});
    }
}

void GsmModule::EmitUnsolicited(const QByteArray &text)
{
    if (m_powered && !m_booting)
        Emit("\r\n" + text + "\r\n");
}

void GsmModule::Info(const QByteArray &text)
{
    m_reply += "\r\n" + text + "\r\n";
}

// ---- Power ----------------------------------------------------------------------------------

void GsmModule::PowerOn()
{
    if (m_powered)
        return;
    m_powered = true;
    StartBoot();
}

void GsmModule::PowerOff()
{
    if (!m_powered)
        return;
    m_powered = false;
    m_booting = false;
    m_jobs.clear();
    m_call.reset();
    m_input = Input::Idle;
    m_bodyRequest.reset();
    Log(LogEvent::Kind::State, 0, QStringLiteral("switched off"));
}

void GsmModule::StartBoot()
{
    m_booting = true;
    m_bootDoneUs = m_nowUs + kBootMs * 1000;
    m_jobs.clear();
    m_call.reset();
    m_input = Input::Idle;
    m_bodyRequest.reset();
    Log(LogEvent::Kind::State, 0, QStringLiteral("starting up"));
}

void GsmModule::FinishBoot()
{
    m_booting = false;
    m_p = m_stored;
    m_speed = m_p.ipr;
    m_sim = m_simAtPowerOn;
    if (m_sim != SimState::WaitingPuk)
        m_pinAttempts = 3;
    m_fun = 1;
    Log(LogEvent::Kind::State, m_speed, QStringLiteral("ready"));
    // With automatic detection there is no known speed yet, so no start-up line.
    EmitUnsolicited("^SYSSTART");
}

void GsmModule::Ring()
{
    Emit(m_p.crc ? "\r\n+CRING: VOICE\r\n" : "\r\nRING\r\n");
    if (m_p.clip) {
        const int type = m_call->number.startsWith(QLatin1Char('+')) ? 145 : 129;
        Emit("\r\n+CLIP: \"" + m_call->number.toLatin1() + "\"," + QByteArray::number(type)
             + "\r\n");
    }
    ++m_call->rings;
    m_call->nextRingUs += kRingIntervalMs * 1000;
    if (m_p.s0 > 0 && m_call->rings >= m_p.s0) {
        m_call->state = Call::State::Active;
        m_call->sinceUs = m_nowUs;
    }
}

// ---- Command lines --------------------------------------------------------------------------

void GsmModule::RunJob(const Job &job)
{
    if (job.body) {
        CompleteBody(job.text, job.overflow);
        return;
    }
    if (job.overflow) {
        Emit("\r\nERROR\r\n");
        return;
    }
    ExecuteLine(job.text);
}

void GsmModule::ExecuteLine(const QByteArray &line)
{
    m_reply.clear();
    m_stopLine = false;
    m_afterLine = AfterLine::None;
    m_pendingSpeed = -1;

    Result result;
    const auto commands = ParseCommandLine(QByteArrayView(line).sliced(2));
    if (!commands) {
        result.kind = Result::Error;
    } else {
        for (const AtCommand &cmd : *commands) {
            const CommandRule *rule = nullptr;
            for (const CommandRule &r : Rules()) {
                if (cmd.name == r.name) {
                    rule = &r;
                    break;
                }
            }
            if (!rule || !(rule->forms & quint8(cmd.form))) {
                result = {Result::Error, 0};
                break;
            }
            if (rule->sim == SimNeed::Unlocked && !SimUnlocked()) {
                result = SimError(rule->family);
                break;
            }
            result = (this->*rule->run)(cmd);
            if (result.kind != Result::Ok || m_stopLine)
                break;
        }
    }

    QByteArray out = m_reply;
    m_reply.clear();
    if (result.kind == Result::Prompt) {
        out += "\r\n> ";
        m_input = Input::Body;
        m_body.clear();
        m_bodyOverflow = false;
    } else {
        out += "\r\n" + FinalText(result) + "\r\n";
    }
    Emit(out);

    if (m_pendingSpeed > 0) {
        m_speed = m_pendingSpeed;
        Log(LogEvent::Kind::State, m_speed, QStringLiteral("speed set: %1 bps").arg(m_speed));
    }
    m_pendingSpeed = -1;
    switch (m_afterLine) {
    case AfterLine::PowerOff:
        PowerOff();
        break;
    case AfterLine::Reset:
        StartBoot();
        break;
    case AfterLine::None:
        break;
    }
    m_afterLine = AfterLine::None;
}

QByteArray GsmModule::FinalText(const Result &r) const
{
    switch (r.kind) {
    case Result::Ok:
    case Result::Prompt:
        return "OK";
    case Result::Error:
        return "ERROR";
    case Result::NoCarrier:
        return "NO CARRIER";
    case Result::Cms:
        return "+CMS ERROR: " + QByteArray::number(r.code);
    case Result::Cme:
        break;
    }
    if (m_p.cmee == 0)
        return "ERROR";
    if (m_p.cmee == 1)
        return "+CME ERROR: " + QByteArray::number(r.code);
    static const struct {
        int code;
        const char *text;
    } kTexts[] = {
        {3, "operation not allowed"}, {4, "operation not supported"},
        {10, "SIM not inserted"},     {11, "SIM PIN required"},
        {12, "SIM PUK required"},     {16, "incorrect password"},
        {17, "SIM PIN2 required"},    {30, "no network service"},
    };
    for (const auto &t : kTexts) {
        if (t.code == r.code)
            return QByteArray("+CME ERROR: ") + t.text;
    }
    return "+CME ERROR: unknown";
}

bool GsmModule::SimUnlocked() const
{
    return m_sim == SimState::Ready || m_sim == SimState::WaitingPin2;
}

GsmModule::Result GsmModule::SimError(ErrorFamily family) const
{
    const bool cms = family == ErrorFamily::Cms;
    switch (m_sim) {
    case SimState::Absent:
        return {cms ? Result::Cms : Result::Cme, cms ? 310 : 10};
    case SimState::WaitingPin:
        return {cms ? Result::Cms : Result::Cme, cms ? 311 : 11};
    case SimState::WaitingPuk:
        return {cms ? Result::Cms : Result::Cme, cms ? 316 : 12};
    case SimState::Ready:
    case SimState::WaitingPin2:
        break;
    }
    return {};
}

int GsmModule::ReportedStat() const
{
    return (m_fun == 1 && SimUnlocked()) ? m_stat : 0;
}

QByteArray GsmModule::CregLine(bool unsolicited) const
{
    const int stat = ReportedStat();
    QByteArray line = "+CREG: ";
    if (!unsolicited)
        line += QByteArray::number(m_p.creg) + ',';
    line += QByteArray::number(stat);
    if (m_p.creg == 2 && (stat == 1 || stat == 5))
        line += ",\"1A2B\",\"3C4D\"";
    return line;
}

} // namespace quillon::sim
