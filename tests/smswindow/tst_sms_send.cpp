// The send button against the simulated module: the exact bytes of both modes, the message the
// module accepted, refused input and a closed port.

#include "ModuleFixture.h"

#include "sms/SmsPdu.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

class SmsSendTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageReachesTheModule_data()
    {
        QTest::addColumn<bool>("textMode");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("lines"); // as written, each followed by CR LF
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("sentText");

        const QString ctrlZ(QChar(0x1A));
        const QString seventy = QString(70, QChar(0x4F60));
        QTest::newRow("PDU mode, English")
            << false << "13987654321" << "Hi"
            << QStringList{"AT+CMGF=0", "AT+CMGS=19", "0011000D91683189674523F10008A70400480069" + ctrlZ}
            << "+8613987654321" << "Hi";
        QTest::newRow("PDU mode, Chinese")
            << false << "13987654321" << "你好"
            << QStringList{"AT+CMGF=0", "AT+CMGS=19", "0011000D91683189674523F10008A7044F60597D" + ctrlZ}
            << "+8613987654321" << "你好";
        QTest::newRow("PDU mode, 70 Chinese characters")
            << false << "13987654321" << seventy
            << QStringList{"AT+CMGF=0", "AT+CMGS=155",
                           "0011000D91683189674523F10008A78C" + QStringLiteral("4F60").repeated(70) + ctrlZ}
            << "+8613987654321" << seventy;
        QTest::newRow("PDU mode, two lines")
            << false << "13987654321" << "a\nb"
            << QStringList{"AT+CMGF=0", "AT+CMGS=23",
                           "0011000D91683189674523F10008A708006100" "0D000A0062" + ctrlZ}
            << "+8613987654321" << "a\r\nb";
        QTest::newRow("PDU mode, empty message")
            << false << "13987654321" << ""
            << QStringList{"AT+CMGF=0", "AT+CMGS=15", "0011000D91683189674523F10008A700" + ctrlZ}
            << "+8613987654321" << "";
        QTest::newRow("PDU mode, short number gets matching lengths")
            << false << "10086" << "Hi"
            << QStringList{"AT+CMGF=0", "AT+CMGS=16", "0011000791680180F60008A70400480069" + ctrlZ}
            << "+8610086" << "Hi";
        QTest::newRow("PDU mode, no-break space and line separator go as they stand")
            << false << "13987654321" << QStringLiteral("a\u00A0b\u2028c\nd")
            << QStringList{"AT+CMGF=0", "AT+CMGS=31",
                           "0011000D91683189674523F10008A710" "006100A0006220280063000D000A0064" + ctrlZ}
            << "+8613987654321" << QStringLiteral("a\u00A0b\u2028c\r\nd");
        QTest::newRow("text mode, Latin-1 letters byte for byte")
            << true << "10086" << QStringLiteral("caf\u00E9 \u00A35")
            << QStringList{"AT+CMGF=1", "AT+CMGS=\"10086\"", QStringLiteral("caf\u00E9 \u00A35") + ctrlZ}
            << "10086" << QStringLiteral("caf\u00E9 \u00A35");
        QTest::newRow("text mode")
            << true << "10086" << "abc"
            << QStringList{"AT+CMGF=1", "AT+CMGS=\"10086\"", "abc" + ctrlZ} << "10086" << "abc";
        QTest::newRow("text mode, two lines")
            << true << "13987654321" << "Hello\nworld"
            << QStringList{"AT+CMGF=1", "AT+CMGS=\"13987654321\"", "Hello\r\nworld" + ctrlZ}
            << "13987654321" << "Hello\r\nworld";
    }

    void messageReachesTheModule()
    {
        QFETCH(bool, textMode);
        QFETCH(QString, number);
        QFETCH(QString, message);
        QFETCH(QStringList, lines);
        QFETCH(QString, destination);
        QFETCH(QString, sentText);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Check1->setChecked(textMode);
        w.TextNumber->setText(number);
        w.SEND->setPlainText(message);

        w.Command1->click();

        QVERIFY2(m.f.messages.messages.isEmpty(), qPrintable(m.f.messages.messages.join(u'|')));
        QCOMPARE(QString::fromLatin1(m.f.comm->AllWritten()),
                 lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(m.ModuleLines(), lines);
        QCOMPARE(m.module.SentMessages().size(), 1);
        const sim::SentMessage &sent = m.module.SentMessages().first();
        QCOMPARE(sent.pduMode, !textMode);
        QCOMPARE(sent.destination, destination);
        QCOMPARE(sent.text, sentText);
        m.Pass(2000);
        QVERIFY(m.Received().endsWith(QStringLiteral("\r\n+CMGS: 1\r\n\r\nOK\r\n")));
    }

    void refusedInputShowsABoxAndSendsNothing_data()
    {
        QTest::addColumn<bool>("textMode");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");

        QTest::newRow("PDU mode, pasted non-digit in the number") << false << "139-8765-4321" << "Hi";
        QTest::newRow("PDU mode, empty number") << false << "" << "Hi";
        QTest::newRow("PDU mode, 71 characters") << false << "13987654321" << QString(71, QLatin1Char('a'));
        QTest::newRow("text mode, quote in the number") << true << "100\"86" << "abc";
        QTest::newRow("text mode, Chinese text") << true << "10086" << "你好";
        QTest::newRow("text mode, Ctrl-Z inside the text")
            << true << "10086" << QStringLiteral("a") + QChar(0x1A) + QStringLiteral("b");
    }

    void refusedInputShowsABoxAndSendsNothing()
    {
        QFETCH(bool, textMode);
        QFETCH(QString, number);
        QFETCH(QString, message);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Check1->setChecked(textMode);
        w.TextNumber->setText(number);
        w.SEND->setPlainText(message);

        w.Command1->click();

        const auto expected = textMode ? CheckTextModeInput(number, message)
                                       : CheckPduModeInput(number, message);
        QVERIFY(expected.has_value() && !expected->isEmpty());
        QCOMPARE(m.f.messages.information, QStringList{*expected});
        QVERIFY(m.f.comm->Writes().empty());
        QVERIFY(m.module.SentMessages().isEmpty());
    }

    void closedPortSendsNothingButTakesBothPauses_data()
    {
        QTest::addColumn<bool>("textMode");
        QTest::newRow("PDU mode") << false;
        QTest::newRow("text mode") << true;
    }

    void closedPortSendsNothingButTakesBothPauses()
    {
        QFETCH(bool, textMode);
        ModuleFixture m;
        Quillon &w = m.Window();
        w.Check1->setChecked(textMode);
        w.TextNumber->setText(QStringLiteral("13987654321"));
        w.SEND->setPlainText(QStringLiteral("Hi"));
        w.Received().SetText(QStringLiteral("earlier"));

        const qint64 start = m.f.pacing.NowMs();
        w.Command1->click();
        // Both pauses run even though nothing is sent.
        QCOMPARE(m.f.pacing.NowMs() - start, 200);
        QVERIFY(m.f.comm->Writes().empty());
        QVERIFY(m.f.messages.messages.isEmpty());
        QCOMPARE(m.Received(), QStringLiteral("earlier"));
    }
};

QTEST_MAIN(SmsSendTest)
#include "tst_sms_send.moc"
