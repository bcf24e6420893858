#include "sim/AtCommandLine.h"

namespace quillon::sim {

namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

// V.250 5.4.1: extended names use letters, digits and ! % - . / : _
bool IsNameChar(char c)
{
    return IsLetter(c) || IsDigit(c) || c == '!' || c == '%' || c == '-' || c == '.' || c == '/'
        || c == ':' || c == '_';
}

bool IsExtendedPrefix(char c)
{
    return c == '+' || c == '^';
}

} // namespace

std::optional<QList<AtCommand>> ParseCommandLine(QByteArrayView body)
{
    QList<AtCommand> commands;
    qsizetype i = 0;
    const qsizetype n = body.size();
    auto digitsFrom = [&](qsizetype &pos) {
        QByteArray digits;
        while (pos < n && IsDigit(body[pos]))
            digits.append(body[pos++]);
        return digits;
    };

    while (i < n) {
        const char c = body[i];
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        AtCommand cmd;
        if (IsExtendedPrefix(c)) {
            cmd.name.append(c);
            ++i;
            while (i < n && IsNameChar(body[i]))
                cmd.name.append(Upper(body[i++]));
            if (cmd.name.size() == 1)
                return std::nullopt;
            if (i + 1 < n && body[i] == '=' && body[i + 1] == '?') {
                cmd.form = AtForm::Test;
                i += 2;
            } else if (i < n && body[i] == '?') {
                cmd.form = AtForm::Query;
                ++i;
            } else if (i < n && body[i] == '=') {
                cmd.form = AtForm::Set;
                ++i;
                bool quoted = false;
                while (i < n) {
                    const char a = body[i];
                    if (!quoted && a == ';')
                        break;
                    if (!quoted && IsExtendedPrefix(a) && i + 1 < n && IsLetter(body[i + 1]))
                        break;
                    if (a == '"')
                        quoted = !quoted;
                    cmd.args.append(a);
                    ++i;
                }
                if (quoted)
                    return std::nullopt;
            }
        } else if (Upper(c) == 'D') {
            cmd.name = "D";
            ++i;
            while (i < n && body[i] != ';')
                cmd.args.append(body[i++]);
            if (i < n) {
                cmd.args.append(';');
                ++i;
            }
        } else if (Upper(c) == 'S') {
            cmd.name = "S";
            ++i;
            const QByteArray reg = digitsFrom(i);
            if (reg.isEmpty())
                return std::nullopt;
            if (i < n && body[i] == '?') {
                cmd.form = AtForm::Query;
                cmd.args = reg;
                ++i;
            } else if (i < n && body[i] == '=') {
                ++i;
                cmd.form = AtForm::Set;
                cmd.args = reg + '=' + digitsFrom(i);
            } else {
                return std::nullopt;
            }
        } else if (c == '&' || IsLetter(c)) {
            if (c == '&') {
                ++i;
                if (i >= n || !IsLetter(body[i]))
                    return std::nullopt;
                cmd.name = "&";
            }
            cmd.name.append(Upper(body[i++]));
            cmd.args = digitsFrom(i);
            cmd.form = cmd.args.isEmpty() ? AtForm::Execute : AtForm::Set;
        } else {
            return std::nullopt;
        }
        commands.append(cmd);
    }
    return commands;
}

} // namespace quillon::sim
