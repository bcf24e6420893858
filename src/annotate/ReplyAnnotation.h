#pragma once
// Explanations of a module's reply lines: signal quality, registration, SIM state, the numeric
// +CME / +CMS error codes of 3GPP TS 27.007 §9.2 and TS 27.005 §3.2.5, message references,
// caller numbers and call results. Pure functions; the texts are Chinese, as the window's are.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace quillon {

/// The explanation lines for one received reply line (line end already removed, surrounding
/// blanks ignored); empty when the line is not a reply this table knows or its values cannot
/// be read.
QStringList AnnotateReply(QByteArrayView line);

/// Meaning of a +CME ERROR code (27.007 §9.2.1 general, §9.2.2 GPRS-related); an empty string
/// for a code the lists do not name.
QString CmeErrorText(int code);

/// Meaning of a +CMS ERROR code: 0-127 RP causes (24.011 E.2), 128-255 TP failure causes
/// (23.040 §9.2.3.22), 300-340 and 500 (27.005 §3.2.5); an empty string for a code not listed.
/// Reserved ranges get a sentence saying so.
QString CmsErrorText(int code);

/// Received signal level of a +CSQ <rssi>: -113 for 0, -111 for 1, -109..-53 for 2..30 in
/// steps of 2, -51 for 31 (meaning -51 or more); 0 for 99 (unknown) and anything else.
int RssiDbm(int rssi);

/// A word for the quality of a +CSQ <rssi>: 极弱 (0-1), 弱 (2-9), 一般 (10-14), 好 (15-19),
/// 很好 (20-31), 未知 (99 and anything else).
QString RssiQuality(int rssi);

/// Meaning of a +CREG/+CGREG/+CEREG <stat>; an empty string for an unknown value.
QString RegistrationText(int stat);

} // namespace quillon
