// The read button against the simulated module's stored messages, in both message formats: the
// commands sent and the exact message box.

#include "ModuleFixture.h"

#include "sms/SmsPdu.h"
#include "terminal/WindowGate.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

using namespace quillon;
using namespace quillon::testing;

namespace {

QString Box(const QString &number, const QString &time, const QString &content)
{
    return QStringLiteral("对方号码:") + number + QStringLiteral("\n时间:") + time +
           QStringLiteral("\n内容：") + content;
}

} // namespace

class SmsReadTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The module holds (see its default store): 1 a Chinese UCS-2 message, 2 one from the
    // national number 10086, 3 a 7-bit message, 4 the first part of a concatenated UCS-2
    // message (with a user-data header), 5 and 6 messages through service centres abroad.
    void storedMessageIsShown_data()
    {
        QTest::addColumn<bool>("textMode");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QStringList>("boxes");

        const QString coding = kPduCodingErrorText;
        QTest::newRow("PDU mode, Chinese message")
            << false << "1"
            << QStringList{Box("+8613912345678", "24/05/20 09:15:30+32",
                               "你好，这是一条测试短信。Hello 123")};
        QTest::newRow("PDU mode, national sender without +")
            << false << "2"
            << QStringList{Box("10086", "24/05/19 18:00:05+32", "尊敬的客户，您的话费余额为50.00元。")};
        QTest::newRow("PDU mode, 7-bit text is a coding error") << false << "3" << QStringList{coding};
        QTest::newRow("PDU mode, header shown as characters")
            << false << "4"
            << QStringList{Box("+8613912345678", "24/05/20 10:00:00+32",
                               QString(QChar(0x0500)) + QChar(0x032A) + QChar(0x0201) +
                                   QStringLiteral("第一部分 part 1"))};
        QTest::newRow("PDU mode, centre in South Africa: nothing shown") << false << "5" << QStringList{};
        QTest::newRow("PDU mode, centre in Hong Kong: nothing shown") << false << "6" << QStringList{};
        QTest::newRow("PDU mode, empty location: nothing shown") << false << "7" << QStringList{};

        // Text mode shows UCS-2 user data as hexadecimal octets; the empty alpha field between
        // sender and time puts the time's opening quote into the time.
        QTest::newRow("text mode, Chinese message as hex")
            << true << "1"
            << QStringList{Box("+8613912345678", "\"24/05/20,09:15:30+32",
                               "4F60597DFF0C8FD9662F4E0067616D4B8BD577ED4FE13002"
                               "00480065006C006C006F0020003100320033")};
        QTest::newRow("text mode, national sender")
            << true << "2"
            << QStringList{Box("10086", "\"24/05/19,18:00:05+32",
                               "5C0A656C76845BA26237FF0C60A876848BDD8D394F59989D4E3A"
                               "00350030002E0030003051433002")};
        QTest::newRow("text mode, 7-bit text")
            << true << "3" << QStringList{Box("+8613987654321", "\"24/05/18,07:45:00+32", "hellohello")};
        QTest::newRow("text mode, header in the hex data")
            << true << "4"
            << QStringList{Box("+8613912345678", "\"24/05/20,10:00:00+32",
                               "0500032A0201" "7B2C4E0090E852060020007000610072007400200031")};
        QTest::newRow("text mode, any service centre")
            << true << "5" << QStringList{Box("27838890001", "\"99/03/29,15:16:59+08", "hellohello")};
        QTest::newRow("text mode, Hong Kong")
            << true << "6" << QStringList{Box("+85261234567", "\"24/05/17,20:30:00+32", "99996E2F002000480069")};
        QTest::newRow("text mode, empty location: nothing shown") << true << "7" << QStringList{};
    }

    void decoderFollowsTheReplyNotTheCheckBox_data()
    {
        QTest::addColumn<bool>("textModeAtClick");
        QTest::addColumn<QString>("box");
        QTest::newRow("PDU reply, box checked during the pause")
            << false << Box("+8613912345678", "24/05/20 09:15:30+32", "你好，这是一条测试短信。Hello 123");
        QTest::newRow("text reply, box cleared during the pause")
            << true << Box("10086", "\"24/05/19,18:00:05+32",
                           "5C0A656C76845BA26237FF0C60A876848BDD8D394F59989D4E3A"
                           "00350030002E0030003051433002");
    }
    void decoderFollowsTheReplyNotTheCheckBox()
    {
        QFETCH(bool, textModeAtClick);
        QFETCH(QString, box);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Check1->setChecked(textModeAtClick);
        w.at_cmgr->setText(textModeAtClick ? QStringLiteral("2") : QStringLiteral("1"));
        // The window is open to input in the pauses: the user may click the box meanwhile.
        m.f.pacing.SetEachMs([&] {
            if (m.f.comm->Writes().size() == 2 && w.Gate().IsWindowEnabled())
                w.Check1->setChecked(!textModeAtClick);
        });
        w.cmgr->click();
        QCOMPARE(m.f.messages.information, QStringList{box});
    }

    void storedMessageIsShown()
    {
        QFETCH(bool, textMode);
        QFETCH(QString, index);
        QFETCH(QStringList, boxes);
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Check1->setChecked(textMode);
        w.at_cmgr->setText(index);

        w.cmgr->click();

        const QString format = textMode ? QStringLiteral("AT+CMGF=1") : QStringLiteral("AT+CMGF=0");
        const QStringList lines{format, QStringLiteral("AT+CMGR=") + index};
        QCOMPARE(m.ModuleLines(), lines);
        QCOMPARE(QString::fromLatin1(m.f.comm->AllWritten()),
                 lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(m.f.messages.information, boxes);
        QVERIFY(m.f.messages.plain.isEmpty());
    }

    void replyDecidesTheDecoderNotTheCheckBox()
    {
        // The module is left in text mode by AT+CMGF=1 sent from the command area; the read
        // button, unchecked, asks for PDU mode and gets it, so the reply is a PDU.
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Exchange().SendCommand(QStringLiteral("AT+CMGF=1"));
        w.Check1->setChecked(false);
        w.cmgr->click();
        QCOMPARE(m.f.messages.information.size(), 1);
        QVERIFY(m.f.messages.information.first().startsWith(QStringLiteral("对方号码:+8613912345678\n时间:24/05/20 09:15:30+32")));
    }

    void readingTwiceShowsTheSameAfterStatusChange()
    {
        // The first read turns REC UNREAD into REC READ; the text decoder takes both.
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.Check1->setChecked(true);
        w.cmgr->click();
        w.cmgr->click();
        QCOMPARE(m.f.messages.information.size(), 2);
        QCOMPARE(m.f.messages.information.at(0), m.f.messages.information.at(1));
        QVERIFY(m.Received().contains(QStringLiteral("\"REC READ\"")));
    }

    void hexDisplayShowsNothing()
    {
        ModuleFixture m;
        Quillon &w = m.Window();
        m.f.Open();
        w.CheckDisplay->setChecked(true);
        w.cmgr->click();
        QVERIFY(m.f.messages.messages.isEmpty());
    }

    void closedPortSendsNothingAndDecodesWhatIsShown()
    {
        ModuleFixture m;
        Quillon &w = m.Window();
        const QString earlier = QStringLiteral(
            "AT+CMGR=1\r\n+CMGR: 0,,26\r\n"
            "0891683100000000F0040D91683189674523F100081160032143652306006100620063\r\n\r\nOK\r\n");
        w.Received().SetText(earlier);

        const qint64 start = m.f.pacing.NowMs();
        w.cmgr->click();
        // Both pauses run even though nothing is sent.
        QCOMPARE(m.f.pacing.NowMs() - start, 200);
        QVERIFY(m.f.comm->Writes().empty());
        QCOMPARE(m.f.messages.information,
                 QStringList{Box("+8613987654321", "11/06/30 12:34:56+32", "abc")});
        QCOMPARE(m.Received(), earlier);
    }
};

QTEST_MAIN(SmsReadTest)
#include "tst_sms_read.moc"
