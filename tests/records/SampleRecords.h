#pragma once
// Records as the module test leaves them, one per way a run can end, with text that trips up
// naive storage and CSV (commas, quotes, line ends, Chinese, empty fields).

#include "records/RunRecord.h"

#include <QList>

namespace quillon::test {

inline records::RunRecord SampleRecord(int n, records::Outcome outcome, const QString &diagnosis,
                                       const QString &imei)
{
    using namespace records;
    RunRecord r;
    r.runId = QUuid::createUuidV5(QUuid("{6b1f0c3e-1c1e-4d39-9f5c-1a2b3c4d5e6f}"), QString::number(n));
    r.startedAt = QDateTime(QDate(2026, 12, 9), QTime(8, 30, 0, 123), Qt::UTC).addSecs(60 * n);
    r.endedAt = r.startedAt.addMSecs(4081 + n);
    r.durationMs = 4081 + n;
    r.bench = QStringLiteral("bench-%1").arg(n % 3);
    r.portEntry = QStringLiteral("COM%1").arg(1 + n % 6);
    r.devicePath = QStringLiteral("/dev/ttyUSB%1").arg(n % 6);
    r.answeredSpeed = outcome == Outcome::CutShort && imei.isEmpty() ? 0 : 115200;
    r.searchAttempts = r.answeredSpeed ? 1 : 18;
    if (n % 2 == 0) {
        r.usbVendorId = 0x1a86;
        r.usbProductId = 0x7523;
        r.manufacturer = QStringLiteral("wch.cn");
        r.serialNumber = QStringLiteral("A%1,\"B\"").arg(n);
    }
    r.SetImei(imei);
    r.identification = QStringLiteral("Manufacturer: KORVEL\r\nModel: MU509, \"b\"\r\nRevision: 11.810.09\r\n\r\nOK");
    r.Finish(outcome, diagnosis, outcome == Outcome::Passed ? 15 : 9, r.endedAt);
    r.transcript = QStringLiteral("08:30:00.123 > AT&F\\r\\n\n08:30:00.140 < OK\r\n# 测试, \"quoted\"\n");
    return r;
}

inline QList<records::RunRecord> SampleRecords()
{
    using records::Outcome;
    return {SampleRecord(1, Outcome::Passed, {}, QStringLiteral("356938035643809")),
            SampleRecord(2, Outcome::Failed, QStringLiteral("SIM卡读卡出错，请检查SIM卡"), QString()),
            SampleRecord(3, Outcome::Passed, {}, QStringLiteral("356938035643801")), // wrong check digit
            SampleRecord(4, Outcome::Failed, QStringLiteral("SIM卡读卡出错，请检查SIM卡"), QString()),
            SampleRecord(5, Outcome::CutShort, QStringLiteral("端口已关闭"), QString()),
            SampleRecord(6, Outcome::Failed, QStringLiteral("读取IMEI号出错"), QStringLiteral("356938035643809")),
            SampleRecord(7, Outcome::Passed, {}, QStringLiteral("490154203237518"))};
}

} // namespace quillon::test
