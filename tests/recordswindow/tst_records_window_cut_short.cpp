// A run cut short by the port closing, the device going or the window closing is one record
// that says why and at which step; a records database that cannot be written is one message,
// and the test runs on as before.

#include "WindowRecordsCheck.h"
#include "gsm/ModuleTestRun.h"

#include "terminal/WindowGate.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <functional>

using namespace quillon;
using namespace quillon::testing;
using records::Outcome;

namespace {

enum class Cut { ClosePort, LoseDevice, CloseWindow };


} // namespace

Q_DECLARE_METATYPE(Cut)

class RecordsWindowCutShortTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cutRunIsOneRecord_data()
    {
        QTest::addColumn<Cut>("cut");
        QTest::addColumn<int>("writes");
        QTest::addColumn<bool>("windowEnabled");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("step");

        const QString closed = QStringLiteral("端口被关闭");
        QTest::newRow("port closed in the search's pause") << Cut::ClosePort << 1 << true << closed << 2;
        QTest::newRow("port closed in step 6's wait") << Cut::ClosePort << 4 << false << closed << 6;
        QTest::newRow("device lost in step 6's wait")
            << Cut::LoseDevice << 4 << false << QStringLiteral("设备已断开") << 6;
        QTest::newRow("window closed in the pause after step 6")
            << Cut::CloseWindow << 4 << true << QStringLiteral("窗口被关闭") << 6;
    }

    void cutRunIsOneRecord()
    {
        QFETCH(Cut, cut);
        QFETCH(int, writes);
        QFETCH(bool, windowEnabled);
        QFETCH(QString, reason);
        QFETCH(int, step);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Show();
        m.f.Open();
        m.ActWhen(size_t(writes), windowEnabled, [&] {
            if (cut == Cut::ClosePort)
                w.ComStartStop->click();
            else if (cut == Cut::LoseDevice)
                m.f.comm->SimulateDeviceLost();
            else
                w.close();
        });

        w.ComVersion->click();

        QVERIFY(!m.f.comm->PortOpen());
        const QList<records::RunRecord> kept = WindowRunRecords(w);
        QCOMPARE(kept.size(), 1);
        const records::RunRecord &r = kept.first();
        QCOMPARE(r.outcome, Outcome::CutShort);
        QCOMPARE(r.diagnosis, reason);
        QCOMPARE(r.endStep, step);
        QCOMPARE(r.answeredSpeed, 115200);
        QVERIFY(r.imei.isEmpty());
        QCOMPARE(TranscriptSent(r), m.f.comm->AllWritten());
    }

    void unwritableRecordsAreOneMessage_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::addColumn<int>("sideFileLines");
        // The records wait in memory; the session log reports its own problem.
        QTest::newRow("records folder cannot be made") << true << 0;
        // The records go to the side file beside the database.
        QTest::newRow("database is a folder") << false << 2;
    }

    void unwritableRecordsAreOneMessage()
    {
        QFETCH(bool, folderIsAFile);
        QFETCH(int, sideFileLines);
        ModuleFixture m;
        const QString folder = m.Window().Logging().Folder();
        const QString database = QDir(folder).filePath(QStringLiteral("quillon-records.sqlite"));
        if (folderIsAFile) {
            QDir(folder).removeRecursively();
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(database));
        }
        m.module.SetSimState(sim::SimState::Absent);
        m.f.Open();

        m.Window().ComVersion->click();
        m.Window().ComVersion->click();
        m.f.Pump(1000);

        QCOMPARE(m.f.messages.information, (QStringList{kSimErrorText, kSimErrorText}));
        QStringList aboutRecords = m.f.messages.plain.filter(QStringLiteral("测试记录"));
        QCOMPARE(aboutRecords.size(), 1);
        QVERIFY2(aboutRecords.first().contains(QDir::toNativeSeparators(folderIsAFile ? folder : database)),
                 qPrintable(aboutRecords.first()));
        QFile side(database + QStringLiteral(".pending.jsonl"));
        const int lines = side.open(QIODevice::ReadOnly) ? int(side.readAll().count('\n')) : 0;
        QCOMPARE(lines, sideFileLines);
    }
};

QTEST_MAIN(RecordsWindowCutShortTest)
#include "tst_records_window_cut_short.moc"
