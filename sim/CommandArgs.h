#pragma once
// Reading the values of a command's set form (V.250 numeric and string constants).

#include "sim/SimPdu.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace quillon::sim {

/// A decimal constant of 1 to 9 digits; nullopt for anything else (blanks included).
std::optional<int> ToInt(QByteArrayView text);
/// Splits at commas outside double quotes; an empty text gives no values.
QList<QByteArray> SplitArgs(const QByteArray &text);
/// The contents of a "quoted" string constant, or the text unchanged when it is not quoted.
QByteArray Unquote(const QByteArray &text);
/// 4 to 8 digits, as PINs and PUKs are.
bool IsPinText(const QByteArray &text);
/// "yy/MM/dd,hh:mm:ss+zz" (zone in quarter hours, sign required) as AT+CCLK takes it.
std::optional<PduTimestamp> ParseClock(const QByteArray &text);

} // namespace quillon::sim
