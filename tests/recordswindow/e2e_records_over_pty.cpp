// The window on the real serial backend against quillon-sim: a passing run is one record with
// the pseudo-terminal's device path, the wrong IMEI check digit as a warning, and a transcript
// holding exactly the commands the simulator heard.

#include "WindowRecordsCheck.h"
#include "e2e/PtyWindow.h"

using namespace quillon;
using namespace quillon::testing;

class E2eRecordsOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passingRunOnARealPortIsOneRecord()
    {
        const QString imei = QStringLiteral("490154203237519"); // check digit 8 expected
        PtyWindow p({QStringLiteral("--imei"), imei});
        QVERIFY(p.Ready());
        p.Open(QStringLiteral("115200bps"));
        QVERIFY(p.window->PortIsOpen());

        p.window->ComVersion->click();

        QVERIFY2(p.messages.messages.isEmpty(), qPrintable(p.messages.messages.join(u'|')));
        const QList<records::RunRecord> kept = WindowRunRecords(*p.window);
        QCOMPARE(kept.size(), 1);
        const records::RunRecord &r = kept.first();
        QCOMPARE(r.outcome, records::Outcome::Passed);
        QCOMPARE(r.imei, imei);
        QCOMPARE(r.imeiCheck, records::ImeiCheck::WrongCheckDigit);
        QVERIFY2(r.warning.contains(QLatin1Char('8')), qPrintable(r.warning));
        QCOMPARE(r.portEntry, QStringLiteral("COM 1"));
        QVERIFY2(r.devicePath.startsWith(QStringLiteral("/dev/")), qPrintable(r.devicePath));
        QVERIFY2(r.transcript.contains(QStringLiteral(" * speed 115200,N,8,1")), qPrintable(r.transcript));

        p.window->ComStartStop->click();
        QCOMPARE(p.StopSim(), 0);
        QByteArray heard;
        for (const auto &[baud, line] : p.CommandLines())
            heard += line.toLatin1() + "\r\n";
        QCOMPARE(TranscriptSent(r), heard);
    }
};

QTEST_MAIN(E2eRecordsOverPty)
#include "e2e_records_over_pty.moc"
