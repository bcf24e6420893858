#pragma once
// One run of the module test as it is kept: who was tested, where, how it ended and what was
// said on the line. The caller (the window, the batch tester) fills it while the run goes and
// hands it to RecordStore::Store once the run has ended, however it ended.

#include <QDateTime>
#include <QString>
#include <QUuid>

namespace quillon::records {

enum class Outcome {
    Passed,   // every check passed
    Failed,   // a check failed; diagnosis holds the exact text the window showed
    CutShort, // the run stopped before a verdict; diagnosis says why (port closed, device lost…)
};

/// "pass", "fail", "cut": the stored and exported spelling, also the tool's --result values.
QString OutcomeName(Outcome outcome);
/// The outcome spelled by OutcomeName; false when `name` is none of them.
bool OutcomeFromName(const QString &name, Outcome *outcome);

enum class ImeiCheck {
    None,            // no IMEI was read
    Valid,           // 15 digits, Luhn check digit right
    WrongCheckDigit, // 15 digits, check digit wrong: a typo in the module's factory data
    Malformed,       // not 15 decimal digits (an echo cut off, noise)
};

/// "none", "valid", "wrong-check-digit", "malformed".
QString ImeiCheckName(ImeiCheck check);
bool ImeiCheckFromName(const QString &name, ImeiCheck *check);

/// The Luhn check digit (0..9) for `digits`, a string of decimal digits that does not yet carry
/// it (14 for an IMEI); -1 when `digits` is empty or holds anything but 0-9.
int LuhnCheckDigit(QStringView digits);

/// Whether the last digit of `digits` is the Luhn check digit of the digits before it; false
/// for fewer than two digits or any character but 0-9.
bool LuhnValid(QStringView digits);

/// Classifies an IMEI as read from the module (empty = none read).
ImeiCheck CheckImei(QStringView imei);

/// The warning kept with a record whose IMEI is not valid, naming the digit that was expected;
/// empty for None and Valid.
QString ImeiWarning(QStringView imei, ImeiCheck check);

struct RunRecord {
    QUuid runId;
    QDateTime startedAt;  // kept in UTC, milliseconds
    QDateTime endedAt;
    qint64 durationMs = 0; // measured on a monotonic clock by the caller

    QString bench;        // host name of the bench; Store fills it when left empty
    QString portEntry;    // the port list's entry, "COM3"
    QString devicePath;   // what the entry led to, "/dev/ttyUSB2" or "simulator"
    int usbVendorId = -1; // -1: not reported by the system
    int usbProductId = -1;
    QString manufacturer;
    QString serialNumber;

    int answeredSpeed = 0;  // bps of the attempt that got "OK"; 0 when none answered
    int searchAttempts = 0; // attempts the speed search made

    QString imei;           // as read (normally 15 digits); empty when the run never got there
    ImeiCheck imeiCheck = ImeiCheck::None;
    QString warning;        // e.g. the wrong IMEI check digit; empty when all is well
    QString identification; // the ATI reply

    Outcome outcome = Outcome::CutShort;
    QString diagnosis; // Failed: the exact message shown; CutShort: why; Passed: empty
    int endStep = 0;   // step of the module test at which the run ended (1..15)

    QString transcript; // the run's log lines, annotations included

    /// A record for a run starting now: a fresh run id and the start time.
    static RunRecord Begin(const QDateTime &startedAt = QDateTime::currentDateTimeUtc());

    /// Sets the IMEI together with its check and warning.
    void SetImei(const QString &read);

    /// Ends the record: the end time and, when the caller measured none, the duration from the
    /// two times.
    void Finish(Outcome how, const QString &diagnosisText, int step,
                const QDateTime &endedAtTime = QDateTime::currentDateTimeUtc());

    bool operator==(const RunRecord &) const = default;
};

} // namespace quillon::records
