// The module test with the real serial backend against quillon-sim on a pseudo-terminal: a
// module fixed at 9600 bps is found by the speed search and the run passes; the simulator's log
// shows the attempts, then the test sequence.

#include "PtyWindow.h"
#include "gsm/ModuleTestSequence.h"

#include "gsm/ModuleTest.h"

using namespace quillon;
using namespace quillon::testing;

class E2eModuleTestOverPty : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moduleAt9600IsFoundAndPasses()
    {
        PtyWindow p({QStringLiteral("--baud"), QStringLiteral("9600"), QStringLiteral("--imei"),
                     QStringLiteral("490154203237518")});
        QVERIFY(p.Ready());
        p.Open(QStringLiteral("115200bps"));
        QVERIFY(p.window->PortIsOpen());

        p.window->ComVersion->click();

        QVERIFY2(p.messages.messages.isEmpty(), qPrintable(p.messages.messages.join(u'|')));
        QVERIFY2(p.window->Received().Text().endsWith(
                     QStringLiteral("\r\n\r\nOK\r\nIMEI: 490154203237518\n\r测试通过")),
                 qPrintable(p.window->Received().Text()));
        QVERIFY(p.window->Received().Text().startsWith(QStringLiteral("ATI\r\n")));
        p.window->ComStartStop->click();
        QCOMPARE(p.StopSim(), 0);

        // Attempts 1 to 6 reach the module at speeds it does not understand; a speed the
        // pseudo-terminal refuses leaves the previous one in force, so the speeds heard are the
        // listed ones in order, each at most once in a row.
        const QList<int> listed{115200, 57600, 38400, 28800, 19200, 14400};
        QList<int> ignored;
        int ignoredBytes = 0;
        for (const SimLogEvent &e : p.Log()) {
            if (e.kind == QLatin1String(">"))
                break;
            if (e.kind != QLatin1String("x"))
                continue;
            ignoredBytes += e.text.section(QLatin1Char(' '), 0, 0).toInt();
            if (ignored.isEmpty() || ignored.last() != e.baud)
                ignored.append(e.baud);
        }
        QCOMPARE(ignoredBytes, 6 * 6); // six attempts of "AT&F" CR LF
        QVERIFY2(!ignored.isEmpty() && ignored.first() == 115200, p.RawLog().constData());
        qsizetype next = 0;
        for (int baud : ignored) {
            const qsizetype at = listed.indexOf(baud, next);
            QVERIFY2(at >= 0, p.RawLog().constData());
            next = at + 1;
        }

        const QStringList sequence = testing::ModuleTestSequence();
        QList<std::pair<int, QString>> expected;
        for (const QString &command : sequence)
            expected.append({command == sequence.first() ? 9600 : 115200, command});
        QCOMPARE(p.CommandLines(), expected);
    }
};

QTEST_MAIN(E2eModuleTestOverPty)
#include "e2e_module_test_over_pty.moc"
