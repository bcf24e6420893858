// The command table and the handlers for general, network, SIM and call commands.
#include "sim/CommandArgs.h"
#include "sim/GsmModule.h"

namespace quillon::sim {

namespace {

constexpr quint8 E = quint8(AtForm::Execute);
constexpr quint8 Q = quint8(AtForm::Query);
constexpr quint8 T = quint8(AtForm::Test);
constexpr quint8 S = quint8(AtForm::Set);

const QByteArray kManufacturer = "QUILLON";
const QByteArray kModel = "QS900";
const QByteArray kRevision = "REVISION 01.001";
const QByteArray kOperator = "CHINA MOBILE";

QByteArray NumberType(const QString &number)
{
    return number.startsWith(QLatin1Char('+')) ? "145" : "129";
}

} // namespace

const std::vector<GsmModule::CommandRule> &GsmModule::Rules()
{
    using G = GsmModule;
    constexpr SimNeed Any = SimNeed::None;
    constexpr SimNeed Sim = SimNeed::Unlocked;
    constexpr ErrorFamily Cme = ErrorFamily::Cme;
    constexpr ErrorFamily Cms = ErrorFamily::Cms;
    static const std::vector<CommandRule> rules = {
        // V.250 basic commands
        {"A", E, Any, Cme, &G::CmdAnswer},
        {"D", E, Any, Cme, &G::CmdDial},
        {"E", E | S, Any, Cme, &G::CmdEcho},
        {"H", E | S, Any, Cme, &G::CmdHangUp},
        {"I", E | S, Any, Cme, &G::CmdInfo},
        {"X", E | S, Any, Cme, &G::CmdResultSet},
        {"Z", E | S, Any, Cme, &G::CmdRestoreStored},
        {"S", Q | S, Any, Cme, &G::CmdSRegister},
        {"&D", E | S, Any, Cme, &G::CmdDtrMode},
        {"&F", E | S, Any, Cme, &G::CmdFactory},
        {"&W", E | S, Any, Cme, &G::CmdStore},
        // 3GPP TS 27.007 and V.250 extended commands
        {"+CCLK", Q | S | T, Any, Cme, &G::CmdCclk},
        {"+CFUN", Q | S | T, Any, Cme, &G::CmdCfun},
        {"+CGMI", E | T, Any, Cme, &G::CmdCgmi},
        {"+CGMM", E | T, Any, Cme, &G::CmdCgmm},
        {"+CGMR", E | T, Any, Cme, &G::CmdCgmr},
        {"+CGSN", E | T, Any, Cme, &G::CmdCgsn},
        {"+CIMI", E | T, Sim, Cme, &G::CmdCimi},
        {"+CLCC", E | T, Any, Cme, &G::CmdClcc},
        {"+CLIP", Q | S | T, Any, Cme, &G::CmdClip},
        {"+CMEE", Q | S | T, Any, Cme, &G::CmdCmee},
        {"+COPS", Q | S | T, Any, Cme, &G::CmdCops},
        {"+CPIN", Q | S | T, Any, Cme, &G::CmdCpin},
        {"+CRC", Q | S | T, Any, Cme, &G::CmdCrc},
        {"+CREG", Q | S | T, Any, Cme, &G::CmdCreg},
        {"+CSQ", E | T, Any, Cme, &G::CmdCsq},
        {"+IPR", Q | S | T, Any, Cme, &G::CmdIpr},
        {"+VTS", S | T, Any, Cme, &G::CmdVts},
        // Module-specific commands of this family
        {"^SBC", Q | S | T, Any, Cme, &G::CmdSbc},
        {"^SMSO", E | T, Any, Cme, &G::CmdSmso},
        {"^SNFD", E, Any, Cme, &G::CmdSnfd},
        {"^SNFS", Q | S | T, Any, Cme, &G::CmdSnfs},
        {"^SSYNC", Q | S | T, Any, Cme, &G::CmdSsync},
        // 3GPP TS 27.005 short messages
        {"+CMGD", S | T, Sim, Cms, &G::CmdCmgd},
        {"+CMGF", Q | S | T, Any, Cms, &G::CmdCmgf},
        {"+CMGR", S | T, Sim, Cms, &G::CmdCmgr},
        {"+CMGS", S | T, Sim, Cms, &G::CmdCmgs},
        {"+CNMI", Q | S | T, Any, Cms, &G::CmdCnmi},
        {"+CSCA", Q | S | T, Sim, Cms, &G::CmdCsca},
    };
    return rules;
}

// A numeric setting: query shows it, test shows its range, set checks the range.
GsmModule::Result GsmModule::Setting(const AtCommand &c, int &field, int low, int high)
{
    switch (c.form) {
    case AtForm::Query:
        Info(c.name + ": " + QByteArray::number(field));
        return {};
    case AtForm::Test:
        Info(c.name + ": (" + QByteArray::number(low) + (high == low + 1 ? "," : "-")
             + QByteArray::number(high) + ")");
        return {};
    case AtForm::Set: {
        const auto v = ToInt(c.args);
        if (!v || *v < low || *v > high)
            return {Result::Error, 0};
        field = *v;
        return {};
    }
    case AtForm::Execute:
        break;
    }
    return {Result::Error, 0};
}

// ---- Basic commands -------------------------------------------------------------------------

GsmModule::Result GsmModule::CmdAnswer(const AtCommand &)
{
    if (!m_call || m_call->state != Call::State::Incoming)
        return {Result::NoCarrier, 0};
    m_call->state = Call::State::Active;
    m_call->sinceUs = m_nowUs;
    return {};
}

GsmModule::Result GsmModule::CmdDial(const AtCommand &c)
{
    QByteArray dial = c.args;
    dial.replace(' ', "");
    const bool voice = dial.endsWith(';');
    if (voice)
        dial.chop(1);
    if (dial == "*#06#") { // GSM 02.30: show the IMEI; needs neither SIM nor network
        Info(m_imei.toLatin1());
        return {};
    }
    QByteArray number;
    for (char ch : dial) {
        if ((ch >= '0' && ch <= '9') || ch == '*' || ch == '#' || ch == '+')
            number.append(ch);
        else if (!QByteArrayView("TPW,!@ABCDabcd").contains(ch))
            return {Result::Error, 0};
    }
    if (number.isEmpty())
        return {Result::Error, 0};
    if (!SimUnlocked())
        return SimError(ErrorFamily::Cme);
    if (m_call)
        return {Result::Cme, 3};
    m_stopLine = !voice;
    const int stat = ReportedStat();
    if (!voice || (stat != 1 && stat != 5))
        return {Result::NoCarrier, 0}; // no data service; no network for a voice call
    Call call;
    call.state = Call::State::Dialing;
    call.incoming = false;
    call.number = QString::fromLatin1(number);
    call.sinceUs = m_nowUs;
    m_call = call;
    return {};
}

GsmModule::Result GsmModule::CmdEcho(const AtCommand &c)
{
    const auto v = c.form == AtForm::Execute ? std::optional<int>(0) : ToInt(c.args);
    if (!v || *v > 1)
        return {Result::Error, 0};
    m_p.echo = *v == 1;
    return {};
}

GsmModule::Result GsmModule::CmdHangUp(const AtCommand &c)
{
    if (c.form == AtForm::Set && c.args != "0")
        return {Result::Error, 0};
    m_call.reset();
    return {};
}

GsmModule::Result GsmModule::CmdInfo(const AtCommand &c)
{
    if (c.form == AtForm::Set && c.args != "0")
        return {Result::Error, 0};
    Info(kManufacturer + "\r\n" + kModel + "\r\n" + kRevision);
    return {};
}

GsmModule::Result GsmModule::CmdResultSet(const AtCommand &c)
{
    if (c.form == AtForm::Execute) {
        m_p.resultSet = 0;
        return {};
    }
    return Setting(c, m_p.resultSet, 0, 4);
}

GsmModule::Result GsmModule::CmdRestoreStored(const AtCommand &c)
{
    if (c.form == AtForm::Set && c.args != "0")
        return {Result::Error, 0};
    m_p = m_stored;
    if (m_p.ipr > 0)
        m_pendingSpeed = m_p.ipr;
    return {};
}

GsmModule::Result GsmModule::CmdSRegister(const AtCommand &c)
{
    const int eq = c.args.indexOf('=');
    const auto reg = ToInt(eq < 0 ? c.args : c.args.left(eq));
    int *field = nullptr;
    if (reg == 0)
        field = &m_p.s0;
    else if (reg == 3)
        field = &m_p.s3;
    else if (reg == 4)
        field = &m_p.s4;
    else if (reg == 5)
        field = &m_p.s5;
    if (!field)
        return {Result::Error, 0};
    if (c.form == AtForm::Query) {
        Info(QByteArray::number(*field).rightJustified(3, '0')); // V.250: three digits
        return {};
    }
    const auto v = ToInt(c.args.mid(eq + 1));
    if (!v || *v > (reg == 0 ? 255 : 127))
        return {Result::Error, 0};
    *field = *v;
    return {};
}

GsmModule::Result GsmModule::CmdDtrMode(const AtCommand &c)
{
    if (c.form == AtForm::Execute) {
        m_p.dtrMode = 0;
        return {};
    }
    return Setting(c, m_p.dtrMode, 0, 2);
}

GsmModule::Result GsmModule::CmdFactory(const AtCommand &c)
{
    if (c.form == AtForm::Set && c.args != "0")
        return {Result::Error, 0};
    // The factory profile includes automatic speed detection: the speed of the line that
    // carried this command stays in force until the next "AT" is measured.
    m_p = m_factory;
    return {};
}

GsmModule::Result GsmModule::CmdStore(const AtCommand &c)
{
    if (c.form == AtForm::Set && c.args != "0")
        return {Result::Error, 0};
    m_stored = m_p;
    return {};
}

// ---- General extended commands --------------------------------------------------------------

PduTimestamp GsmModule::ClockNow() const
{
    const QDateTime set(QDate(2000 + m_clock.year, m_clock.month, m_clock.day),
                        QTime(m_clock.hour, m_clock.minute, m_clock.second), Qt::UTC);
    const QDateTime now = set.addMSecs((m_nowUs - qMax<qint64>(0, m_clockSetUs)) / 1000);
    PduTimestamp t = m_clock;
    t.year = now.date().year() % 100;
    t.month = now.date().month();
    t.day = now.date().day();
    t.hour = now.time().hour();
    t.minute = now.time().minute();
    t.second = now.time().second();
    return t;
}

GsmModule::Result GsmModule::CmdCclk(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        return {};
    if (c.form == AtForm::Query) {
        Info("+CCLK: \"" + ClockNow().Text() + "\"");
        return {};
    }
    const auto t = ParseClock(Unquote(c.args));
    if (!t)
        return {Result::Cme, 3};
    SetClock(*t);
    return {};
}

GsmModule::Result GsmModule::CmdCfun(const AtCommand &c)
{
    if (c.form == AtForm::Query) {
        Info("+CFUN: " + QByteArray::number(m_fun));
        return {};
    }
    if (c.form == AtForm::Test) {
        Info("+CFUN: (0,1,4),(0,1)");
        return {};
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    const auto fun = args.isEmpty() ? std::nullopt : ToInt(args[0]);
    const auto reset = args.size() > 1 ? ToInt(args[1]) : std::optional<int>(0);
    if (!fun || (*fun != 0 && *fun != 1 && *fun != 4) || !reset || *reset > 1 || args.size() > 2)
        return {Result::Error, 0};
    if (*reset == 1) {
        if (*fun != 1)
            return {Result::Cme, 3};
        m_afterLine = AfterLine::Reset;
        m_stopLine = true;
        return {};
    }
    m_fun = *fun;
    return {};
}

GsmModule::Result GsmModule::CmdCgmi(const AtCommand &c)
{
    if (c.form == AtForm::Execute)
        Info(kManufacturer);
    return {};
}

GsmModule::Result GsmModule::CmdCgmm(const AtCommand &c)
{
    if (c.form == AtForm::Execute)
        Info(kModel);
    return {};
}

GsmModule::Result GsmModule::CmdCgmr(const AtCommand &c)
{
    if (c.form == AtForm::Execute)
        Info(kRevision);
    return {};
}

GsmModule::Result GsmModule::CmdCgsn(const AtCommand &c)
{
    if (c.form == AtForm::Execute)
        Info(m_imei.toLatin1());
    return {};
}

GsmModule::Result GsmModule::CmdCmee(const AtCommand &c)
{
    return Setting(c, m_p.cmee, 0, 2);
}

GsmModule::Result GsmModule::CmdIpr(const AtCommand &c)
{
    if (c.form == AtForm::Query) {
        Info("+IPR: " + QByteArray::number(m_p.ipr));
        return {};
    }
    if (c.form == AtForm::Test) {
        QByteArray list = "+IPR: (0";
        for (int s : kSpeeds)
            list += ',' + QByteArray::number(s);
        Info(list + ')');
        return {};
    }
    const auto v = ToInt(c.args);
    if (!v)
        return {Result::Error, 0};
    bool known = *v == 0;
    for (int s : kSpeeds)
        known = known || s == *v;
    if (!known)
        return {Result::Error, 0};
    m_p.ipr = *v;
    if (*v > 0)
        m_pendingSpeed = *v; // the result code still goes out at the old speed
    return {};
}

GsmModule::Result GsmModule::CmdSbc(const AtCommand &c)
{
    if (c.form == AtForm::Query) {
        Info("^SBC: 0,0,0"); // no charger, battery level unknown
        return {};
    }
    if (c.form == AtForm::Test) {
        Info("^SBC: (0-5),(0-100),(0-5000)");
        return {};
    }
    const auto v = ToInt(c.args);
    if (!v || *v > 5000)
        return {Result::Error, 0};
    return {};
}

GsmModule::Result GsmModule::CmdSmso(const AtCommand &c)
{
    if (c.form == AtForm::Execute) {
        Info("^SMSO: MS OFF");
        m_afterLine = AfterLine::PowerOff;
        m_stopLine = true;
    }
    return {};
}

GsmModule::Result GsmModule::CmdSnfd(const AtCommand &)
{
    m_p.snfs = m_factory.snfs;
    return {};
}

GsmModule::Result GsmModule::CmdSnfs(const AtCommand &c)
{
    return Setting(c, m_p.snfs, 1, 6);
}

GsmModule::Result GsmModule::CmdSsync(const AtCommand &c)
{
    return Setting(c, m_p.ssync, 0, 2);
}

// ---- Network and SIM ------------------------------------------------------------------------

GsmModule::Result GsmModule::CmdCimi(const AtCommand &c)
{
    if (c.form == AtForm::Execute)
        Info(m_imsi.toLatin1());
    return {};
}

GsmModule::Result GsmModule::CmdCops(const AtCommand &c)
{
    const int stat = ReportedStat();
    const bool registered = stat == 1 || stat == 5;
    switch (c.form) {
    case AtForm::Query:
        Info(registered ? "+COPS: 0,0,\"" + kOperator + "\"" : QByteArray("+COPS: 0"));
        return {};
    case AtForm::Test:
        Info("+COPS: (" + QByteArray(registered ? "2" : "1") + ",\"" + kOperator
             + "\",\"CMCC\",\"46000\"),,(0-4),(0-2)");
        return {};
    case AtForm::Set: {
        const QList<QByteArray> args = SplitArgs(c.args);
        const auto mode = args.isEmpty() ? std::nullopt : ToInt(args[0]);
        if (!mode || *mode > 4)
            return {Result::Error, 0};
        return {};
    }
    case AtForm::Execute:
        break;
    }
    return {Result::Error, 0};
}

GsmModule::Result GsmModule::CmdCpin(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        return {};
    if (c.form == AtForm::Query) {
        switch (m_sim) {
        case SimState::Ready:
            Info("+CPIN: READY");
            return {};
        case SimState::WaitingPin:
            Info("+CPIN: SIM PIN");
            return {};
        case SimState::WaitingPin2:
            Info("+CPIN: SIM PIN2");
            return {};
        case SimState::WaitingPuk:
            Info("+CPIN: SIM PUK");
            return {};
        case SimState::Absent:
            return {Result::Cme, 10};
        }
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    if (args.isEmpty() || args.size() > 2)
        return {Result::Error, 0};
    const QByteArray code = Unquote(args[0]);
    const QByteArray newPin = args.size() > 1 ? Unquote(args[1]) : QByteArray();
    if (!IsPinText(code) || (args.size() > 1 && !IsPinText(newPin)))
        return {Result::Error, 0};
    switch (m_sim) {
    case SimState::Absent:
        return {Result::Cme, 10};
    case SimState::Ready:
        return {Result::Cme, 3};
    case SimState::WaitingPin2:
        if (code != m_pin2)
            return {Result::Cme, 16};
        m_sim = SimState::Ready;
        return {};
    case SimState::WaitingPin:
        if (code == m_pin) {
            m_sim = SimState::Ready;
            m_pinAttempts = 3;
            return {};
        }
        if (--m_pinAttempts <= 0) {
            m_sim = m_simAtPowerOn = SimState::WaitingPuk;
            Log(LogEvent::Kind::State, 0, QStringLiteral("PIN blocked: PUK required"));
        }
        return {Result::Cme, 16};
    case SimState::WaitingPuk:
        if (code != m_puk || newPin.isEmpty())
            return {Result::Cme, 16};
        m_pin = newPin;
        m_pinAttempts = 3;
        m_sim = SimState::Ready;
        m_simAtPowerOn = SimState::WaitingPin;
        return {};
    }
    return {Result::Error, 0};
}

GsmModule::Result GsmModule::CmdCreg(const AtCommand &c)
{
    if (c.form == AtForm::Query) {
        if (m_registrationReported)
            Info(CregLine(false));
        return {};
    }
    return Setting(c, m_p.creg, 0, 2);
}

GsmModule::Result GsmModule::CmdCsq(const AtCommand &c)
{
    if (c.form == AtForm::Test)
        Info("+CSQ: (0-31,99),(0-7,99)");
    else
        Info("+CSQ: " + QByteArray::number(m_rssi) + ',' + QByteArray::number(m_ber));
    return {};
}

// ---- Calls ----------------------------------------------------------------------------------

void GsmModule::UpdateCall()
{
    if (m_call && m_call->state == Call::State::Dialing
        && m_nowUs - m_call->sinceUs >= kDialToActiveMs * 1000) {
        m_call->state = Call::State::Active;
        m_call->sinceUs = m_nowUs;
    }
}

GsmModule::Result GsmModule::CmdClcc(const AtCommand &c)
{
    UpdateCall();
    if (c.form == AtForm::Test || !m_call)
        return {};
    const int stat = m_call->state == Call::State::Incoming ? 4
        : m_call->state == Call::State::Dialing             ? 2
                                                            : 0;
    Info("+CLCC: 1," + QByteArray(m_call->incoming ? "1" : "0") + ',' + QByteArray::number(stat)
         + ",0,0,\"" + m_call->number.toLatin1() + "\"," + NumberType(m_call->number));
    return {};
}

GsmModule::Result GsmModule::CmdClip(const AtCommand &c)
{
    if (c.form == AtForm::Query) {
        Info("+CLIP: " + QByteArray::number(m_p.clip) + ",1"); // CLIP provisioned
        return {};
    }
    return Setting(c, m_p.clip, 0, 1);
}

GsmModule::Result GsmModule::CmdCrc(const AtCommand &c)
{
    return Setting(c, m_p.crc, 0, 1);
}

GsmModule::Result GsmModule::CmdVts(const AtCommand &c)
{
    if (c.form == AtForm::Test) {
        Info("+VTS: (0-9,#,*,A-D),(1-255)");
        return {};
    }
    const QList<QByteArray> args = SplitArgs(c.args);
    const QByteArray tones = args.isEmpty() ? QByteArray() : Unquote(args[0]);
    if (tones.isEmpty() || args.size() > 2 || (args.size() == 2 && !ToInt(args[1])))
        return {Result::Error, 0};
    for (char ch : tones) {
        if (!QByteArrayView("0123456789*#ABCDabcd").contains(ch))
            return {Result::Error, 0};
    }
    UpdateCall();
    if (!m_call || m_call->state == Call::State::Incoming)
        return {Result::Cme, 3}; // tones need a call in progress
    return {};
}

} // namespace quillon::sim
