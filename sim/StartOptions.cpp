#include "sim/StartOptions.h"

#include "sim/CommandArgs.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

namespace quillon::sim {

namespace {

struct Failure {
    QString text;
};

bool OnOff(const QString &value, const QString &option)
{
    if (value == QLatin1String("on"))
        return true;
    if (value == QLatin1String("off"))
        return false;
    throw Failure{QStringLiteral("--%1 takes on or off, not \"%2\"").arg(option, value)};
}

QList<int> IntPair(const QString &value, const QString &option)
{
    const QStringList parts = value.split(QLatin1Char(','));
    bool ok1 = false;
    bool ok2 = false;
    const int a = parts.value(0).toInt(&ok1);
    const int b = parts.value(1).toInt(&ok2);
    if (parts.size() != 2 || !ok1 || !ok2)
        throw Failure{QStringLiteral("--%1 takes two numbers like 0,1, not \"%2\"").arg(option, value)};
    return {a, b};
}

PduTimestamp LocalClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    return PduTimestamp{now.date().year() % 100, now.date().month(), now.date().day(),
                        now.time().hour(), now.time().minute(), now.time().second(),
                        now.offsetFromUtc() / 900};
}

void Apply(GsmModule &module, const QString &name, const QString &value)
{
    if (name == QLatin1String("baud")) {
        bool ok = false;
        const int speed = value.toInt(&ok);
        bool known = speed == 0;
        for (int s : GsmModule::kSpeeds)
            known = known || s == speed;
        if (!ok || !known)
            throw Failure{QStringLiteral("--baud: %1 is not a speed the module supports").arg(value)};
        module.SetBaud(speed);
    } else if (name == QLatin1String("echo")) {
        module.SetEcho(OnOff(value, name));
    } else if (name == QLatin1String("sim")) {
        if (value == QLatin1String("ready")) module.SetSimState(SimState::Ready);
        else if (value == QLatin1String("pin")) module.SetSimState(SimState::WaitingPin);
        else if (value == QLatin1String("pin2")) module.SetSimState(SimState::WaitingPin2);
        else if (value == QLatin1String("puk")) module.SetSimState(SimState::WaitingPuk);
        else if (value == QLatin1String("absent")) module.SetSimState(SimState::Absent);
        else throw Failure{QStringLiteral("--sim: unknown state \"%1\"").arg(value)};
    } else if (name == QLatin1String("pin")) {
        module.SetPin(value.toLatin1());
    } else if (name == QLatin1String("pin2")) {
        module.SetPin2(value.toLatin1());
    } else if (name == QLatin1String("puk")) {
        module.SetPuk(value.toLatin1());
    } else if (name == QLatin1String("creg")) {
        if (value == QLatin1String("none")) {
            module.SetRegistration(std::nullopt);
        } else {
            const QList<int> r = IntPair(value, name);
            module.SetRegistration(Registration{r[0], r[1]});
        }
    } else if (name == QLatin1String("csq")) {
        const QList<int> q = IntPair(value, name);
        module.SetSignalQuality(q[0], q[1]);
    } else if (name == QLatin1String("reply-delay")) {
        module.SetReplyDelayMs(value.toInt());
    } else if (name == QLatin1String("imei")) {
        module.SetImei(value);
    } else if (name == QLatin1String("clock")) {
        const auto t = ParseClock(value.toLatin1());
        if (!t)
            throw Failure{QStringLiteral("--clock: expected yy/MM/dd,hh:mm:ss+zz")};
        module.SetClock(*t);
    } else if (name == QLatin1String("no-messages")) {
        module.ClearStoredMessages();
    }
}

} // namespace

const QStringList &StartOptionNames()
{
    // Power last: a module started off has taken every other setting first.
    static const QStringList names = {
        QStringLiteral("baud"), QStringLiteral("echo"), QStringLiteral("sim"),
        QStringLiteral("pin"), QStringLiteral("pin2"), QStringLiteral("puk"),
        QStringLiteral("creg"), QStringLiteral("csq"), QStringLiteral("reply-delay"),
        QStringLiteral("dsr"), QStringLiteral("cts"), QStringLiteral("imei"),
        QStringLiteral("clock"), QStringLiteral("no-messages"), QStringLiteral("power")};
    return names;
}

std::optional<QString> ApplyStartOptions(GsmModule &module, const QList<StartOption> &options)
{
    auto valueOf = [&options](const QString &name, const QString &fallback) {
        for (const StartOption &o : options)
            if (o.name == name)
                return o.value;
        return fallback;
    };
    auto isSet = [&options](const QString &name) {
        return std::any_of(options.begin(), options.end(), [&](const StartOption &o) { return o.name == name; });
    };
    try {
        for (const StartOption &o : options)
            if (!StartOptionNames().contains(o.name))
                throw Failure{QStringLiteral("unknown option \"%1\"").arg(o.name)};
        for (const QString &name : StartOptionNames()) {
            if (name == QLatin1String("dsr") || name == QLatin1String("cts") || name == QLatin1String("power"))
                continue;
            if (name == QLatin1String("clock") && !isSet(name)) {
                module.SetClock(LocalClock());
                continue;
            }
            if ((name == QLatin1String("imei") || name == QLatin1String("no-messages")) && !isSet(name))
                continue;
            static const QHash<QString, QString> defaults = {
                {QStringLiteral("baud"), QString::number(GsmModule::kDefaultBaud)},
                {QStringLiteral("echo"), QStringLiteral("on")},
                {QStringLiteral("sim"), QStringLiteral("ready")},
                {QStringLiteral("pin"), QStringLiteral("1234")},
                {QStringLiteral("pin2"), QStringLiteral("5678")},
                {QStringLiteral("puk"), QStringLiteral("12345678")},
                {QStringLiteral("creg"), QStringLiteral("0,1")},
                {QStringLiteral("csq"), QStringLiteral("20,0")},
                {QStringLiteral("reply-delay"), QString::number(GsmModule::kDefaultReplyDelayMs)},
            };
            Apply(module, name, valueOf(name, defaults.value(name)));
        }
        module.SetInputLines(OnOff(valueOf(QStringLiteral("dsr"), QStringLiteral("on")), QStringLiteral("dsr")),
                             OnOff(valueOf(QStringLiteral("cts"), QStringLiteral("on")), QStringLiteral("cts")));
        // Lines are set before power so a module started off shows them dropped.
        if (!OnOff(valueOf(QStringLiteral("power"), QStringLiteral("on")), QStringLiteral("power")))
            module.SetPowered(false);
    } catch (const Failure &f) {
        return f.text;
    }
    return std::nullopt;
}

std::optional<QList<StartOption>> ParseStartOptionList(const QString &text, QString *error)
{
    QList<StartOption> options;
    if (text.isEmpty())
        return options;
    for (const QString &piece : text.split(QLatin1Char(','))) {
        const qsizetype eq = piece.indexOf(QLatin1Char('='));
        if (eq < 0 && !StartOptionNames().contains(piece) && !options.isEmpty()) {
            options.last().value += QLatin1Char(',') + piece;
            continue;
        }
        StartOption option{eq < 0 ? piece : piece.left(eq), eq < 0 ? QString() : piece.mid(eq + 1)};
        if (!StartOptionNames().contains(option.name)) {
            if (error)
                *error = QStringLiteral("unknown simulated module option \"%1\" (known: %2)")
                             .arg(option.name, StartOptionNames().join(QStringLiteral(", ")));
            return std::nullopt;
        }
        if (eq < 0 && option.name != QLatin1String("no-messages")) {
            if (error)
                *error = QStringLiteral("simulated module option \"%1\" needs a value (%1=...)").arg(option.name);
            return std::nullopt;
        }
        options.append(option);
    }
    return options;
}

} // namespace quillon::sim
