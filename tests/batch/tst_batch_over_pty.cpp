// quillon-batch against quillon-sim on pseudo-terminals, on the real serial backend: six ports
// with six module states at once, under both paces; a line hung up mid-run; station mode.
#include "records/RecordStore.h"
#include "support/SimProcess.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace quillon;
using quillon::test::SimProcess;

namespace {

const QString kSim = QStringLiteral(QUILLON_SIM_PROGRAM);
const QString kBatch = QStringLiteral(QUILLON_BATCH_PROGRAM);

struct Unit {
    QStringList simArguments;
    QString outcome; // as the records spell it
    QString diagnosis;
};

const QList<Unit> &SixUnits()
{
    static const QList<Unit> units = {
        {{}, QStringLiteral("pass"), QString()},
        {{QStringLiteral("--sim"), QStringLiteral("pin")}, QStringLiteral("fail"), QStringLiteral("模块没有及时回复，请重新测试下")},
        {{QStringLiteral("--sim"), QStringLiteral("absent")}, QStringLiteral("fail"), QStringLiteral("SIM卡读卡出错，请检查SIM卡")},
        {{QStringLiteral("--creg"), QStringLiteral("0,3")}, QStringLiteral("fail"), QStringLiteral("SIM卡已停机或没有信号")},
        {{QStringLiteral("--echo"), QStringLiteral("off")}, QStringLiteral("fail"), QStringLiteral("读取IMEI号出错")},
        {{QStringLiteral("--power"), QStringLiteral("off")}, QStringLiteral("fail"), QStringLiteral("设备没有反应,检查是否开机")},
    };
    return units;
}

// The settings file of a throw-away bench: logs and records in `dir`/logs.
QString WriteSettings(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("quillon.ini"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("[Log]\r\nFolder=%1\r\n").arg(dir.filePath(QStringLiteral("logs"))).toUtf8());
    return path;
}

QList<QJsonObject> JsonLines(const QByteArray &out)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            qWarning() << "not a JSON object:" << line;
        objects.append(doc.object());
    }
    return objects;
}

QJsonObject ForPort(const QList<QJsonObject> &runs, const QString &port)
{
    for (const QJsonObject &o : runs)
        if (o.value(QStringLiteral("port_entry")).toString() == port)
            return o;
    return {};
}

} // namespace

class BatchOverPty : public QObject {
    Q_OBJECT
private slots:
    void sixPortsSixVerdicts_data()
    {
        QTest::addColumn<QString>("pace");
        QTest::newRow("reply") << QStringLiteral("reply");
        QTest::newRow("fixed") << QStringLiteral("fixed");
    }
    void sixPortsSixVerdicts()
    {
        QFETCH(QString, pace);
        QTemporaryDir dir;
        std::vector<std::unique_ptr<SimProcess>> sims;
        QStringList arguments = {QStringLiteral("--settings"), WriteSettings(dir), QStringLiteral("--pace"), pace,
                                 QStringLiteral("--json"), QStringLiteral("--junit"), dir.filePath(QStringLiteral("report.xml"))};
        for (const Unit &unit : SixUnits()) {
            sims.push_back(std::make_unique<SimProcess>());
            QVERIFY(sims.back()->Start(kSim, unit.simArguments));
            arguments.append(sims.back()->Device());
        }
        QProcess batch;
        batch.start(kBatch, arguments);
        QVERIFY(batch.waitForFinished(120000));
        QCOMPARE(batch.exitCode(), 1);

        const QList<QJsonObject> runs = JsonLines(batch.readAllStandardOutput());
        QCOMPARE(runs.size(), SixUnits().size());
        for (int i = 0; i < SixUnits().size(); ++i) {
            const QJsonObject run = ForPort(runs, sims[size_t(i)]->Device());
            QCOMPARE(run.value(QStringLiteral("outcome")).toString(), SixUnits()[i].outcome);
            QCOMPARE(run.value(QStringLiteral("diagnosis")).toString(), SixUnits()[i].diagnosis);
            QCOMPARE(run.value(QStringLiteral("device_path")).toString(), sims[size_t(i)]->Device());
        }
        QCOMPARE(ForPort(runs, sims[0]->Device()).value(QStringLiteral("imei")).toString(), QStringLiteral("352099001761481"));

        // Every run is a record, every port has its session log naming its device.
        const auto store = records::RecordStore::Open(dir.filePath(QStringLiteral("logs")));
        QCOMPARE(store->List({}).size(), SixUnits().size());
        const QStringList logs = QDir(dir.filePath(QStringLiteral("logs"))).entryList({QStringLiteral("*.log")});
        QCOMPARE(logs.size(), SixUnits().size());
        QStringList devicesLogged;
        for (const QString &name : logs) {
            QFile log(QDir(dir.filePath(QStringLiteral("logs"))).filePath(name));
            QVERIFY(log.open(QIODevice::ReadOnly));
            const QByteArray text = log.readAll();
            for (const auto &sim : sims)
                if (text.contains(sim->Device().toUtf8()))
                    devicesLogged.append(sim->Device());
        }
        QCOMPARE(devicesLogged.size(), SixUnits().size());

        // JUnit: one suite, one case per unit, a failure for each failed unit.
        QFile report(dir.filePath(QStringLiteral("report.xml")));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&report);
        int cases = 0;
        int failures = 0;
        QString suiteTests;
        QString suiteFailures;
        QStringList path;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement()) {
                path.append(xml.name().toString());
                if (xml.name() == QLatin1String("testsuite")) {
                    suiteTests = xml.attributes().value(QLatin1String("tests")).toString();
                    suiteFailures = xml.attributes().value(QLatin1String("failures")).toString();
                } else if (xml.name() == QLatin1String("testcase")) {
                    QCOMPARE(path.join(QLatin1Char('/')), QStringLiteral("testsuites/testsuite/testcase"));
                    QVERIFY(!xml.attributes().value(QLatin1String("name")).isEmpty());
                    QVERIFY(!xml.attributes().value(QLatin1String("time")).isEmpty());
                    ++cases;
                } else if (xml.name() == QLatin1String("failure")) {
                    QCOMPARE(path.join(QLatin1Char('/')), QStringLiteral("testsuites/testsuite/testcase/failure"));
                    QVERIFY(!xml.attributes().value(QLatin1String("message")).isEmpty());
                    ++failures;
                }
            } else if (xml.isEndElement()) {
                path.removeLast();
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(cases, 6);
        QCOMPARE(failures, 5);
        QCOMPARE(suiteTests, QStringLiteral("6"));
        QCOMPARE(suiteFailures, QStringLiteral("5"));
    }

    void hangUpCutsShortThatPortOnly()
    {
        QTemporaryDir dir;
        SimProcess dropped;
        SimProcess kept;
        QVERIFY(dropped.Start(kSim, {}));
        QVERIFY(kept.Start(kSim, {}));
        QProcess batch;
        batch.start(kBatch, {QStringLiteral("--settings"), WriteSettings(dir), QStringLiteral("--pace"),
                             QStringLiteral("fixed"), QStringLiteral("--json"), dropped.Device(), kept.Device()});
        QVERIFY(batch.waitForStarted());
        QTest::qWait(1500); // a few steps into the run
        dropped.Kill();
        QVERIFY(batch.waitForFinished(30000));
        QCOMPARE(batch.exitCode(), 1);
        const QList<QJsonObject> runs = JsonLines(batch.readAllStandardOutput());
        QCOMPARE(runs.size(), 2);
        QCOMPARE(ForPort(runs, dropped.Device()).value(QStringLiteral("outcome")).toString(), QStringLiteral("cut"));
        QCOMPARE(ForPort(runs, dropped.Device()).value(QStringLiteral("diagnosis")).toString(), QStringLiteral("device lost"));
        QCOMPARE(ForPort(runs, kept.Device()).value(QStringLiteral("outcome")).toString(), QStringLiteral("pass"));
    }

    void stationTestsOneUnitAfterAnother()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("fixture0"));
        auto first = std::make_unique<SimProcess>();
        QVERIFY(first->Start(kSim, {QStringLiteral("--link"), link}));
        QProcess batch;
        batch.start(kBatch, {QStringLiteral("--settings"), WriteSettings(dir), QStringLiteral("--watch"),
                             QStringLiteral("--json"), link});
        QVERIFY(batch.waitForStarted());
        QByteArray out;
        auto waitForRuns = [&](int count) {
            QElapsedTimer clock;
            clock.start();
            while (out.count('\n') < count && clock.elapsed() < 30000) {
                batch.waitForReadyRead(200);
                out += batch.readAllStandardOutput();
            }
            return out.count('\n') >= count;
        };
        QVERIFY(waitForRuns(1));
        // The unit stays seated: no second run while it is there.
        QTest::qWait(1500);
        out += batch.readAllStandardOutput();
        QCOMPARE(out.count('\n'), 1);

        first->Stop(); // unit removed: its link goes and the line hangs up
        SimProcess second;
        QVERIFY(second.Start(kSim, {QStringLiteral("--link"), link, QStringLiteral("--imei"), QStringLiteral("490154203237518")}));
        QVERIFY(waitForRuns(2));

        ::kill(pid_t(batch.processId()), SIGINT);
        QVERIFY(batch.waitForFinished(10000));
        QCOMPARE(batch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(batch.exitCode(), 0);
        out += batch.readAllStandardOutput();
        const QList<QJsonObject> runs = JsonLines(out);
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].value(QStringLiteral("imei")).toString(), QStringLiteral("352099001761481"));
        QCOMPARE(runs[1].value(QStringLiteral("imei")).toString(), QStringLiteral("490154203237518"));
        QCOMPARE(runs[1].value(QStringLiteral("outcome")).toString(), QStringLiteral("pass"));
    }

    void setUpErrorsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate"), QStringLiteral("sim")} << "frobnicate";
        QTest::newRow("no port") << QStringList{} << "name at least one port";
        QTest::newRow("missing device") << QStringList{QStringLiteral("/dev/quillon-no-such-port")} << "/dev/quillon-no-such-port";
        QTest::newRow("bad pace") << QStringList{QStringLiteral("--pace"), QStringLiteral("slow"), QStringLiteral("sim")} << "--pace";
        QTest::newRow("bad sim option") << QStringList{QStringLiteral("sim:colour=red")} << "colour";
    }
    void setUpErrorsExitTwo()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        QProcess batch;
        batch.start(kBatch, QStringList{QStringLiteral("--settings"), WriteSettings(dir)} + arguments);
        QVERIFY(batch.waitForFinished(10000));
        QCOMPARE(batch.exitCode(), 2);
        QFETCH(QString, said);
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        QVERIFY2(err.contains(said), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(BatchOverPty)
#include "tst_batch_over_pty.moc"
