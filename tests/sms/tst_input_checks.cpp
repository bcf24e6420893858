// The checks run before a message is sent: what a pasted number or an over-long or unsendable
// message is refused with, and that ordinary input passes untouched.

#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;

namespace {
const QString kAccepted;
const QString kEmptyNumber = QStringLiteral("号码为空，请输入对方号码");
const QString kPduNotDigits = QStringLiteral("号码只能包含数字");
const QString kBreaksCommandLine = QStringLiteral("号码不能包含双引号、回车、换行、Ctrl-Z或ESC");
const QString kNumberNotLatin1 = QStringLiteral("号码只能包含单字节（Latin-1）字符，请删去其他字符");
const QString kPduTooManyDigits = QStringLiteral("号码过长，最多18位数字");
const QString kTooLong = QStringLiteral("短信过长，最多70个字");
const QString kControlCharacter = QStringLiteral("短信不能包含Ctrl-Z或ESC控制字符");
const QString kNotTextMode =
    QStringLiteral("英文短信只能包含单字节（Latin-1）字符，中文请用中文短信（取消“英文短信”）发送");

QString Refusal(const std::optional<QString> &check) { return check.value_or(QString()); }

QString EveryLatin1CharacterButCtrlZAndEsc()
{
    QString all;
    for (char16_t c = 1; c <= 0xFF; ++c) {
        if (c != 0x1A && c != 0x1B)
            all += QChar(c);
    }
    return all;
}
} // namespace

class TestInputChecks : public QObject {
    Q_OBJECT

private slots:
    void pduModeInput_data();
    void pduModeInput();
    void textModeInput_data();
    void textModeInput();
};

void TestInputChecks::pduModeInput_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("11-digit mobile number") << "13987654321" << QStringLiteral("你好") << kAccepted;
    QTest::newRow("five-digit service number") << "10086" << "Hi" << kAccepted;
    QTest::newRow("empty message is sendable") << "13987654321" << "" << kAccepted;
    QTest::newRow("70 code units") << "13987654321" << QString(70, QChar(0x4E2D)) << kAccepted;
    QTest::newRow("18 digits") << "123456789012345678" << "Hi" << kAccepted;
    QTest::newRow("empty number") << "" << "Hi" << kEmptyNumber;
    QTest::newRow("pasted blanks") << "139 8765 4321" << "Hi" << kPduNotDigits;
    QTest::newRow("pasted plus sign") << "+8613987654321" << "Hi" << kPduNotDigits;
    QTest::newRow("pasted full-width digits") << QStringLiteral("１３９８７６５４３２１") << "Hi"
                                              << kPduNotDigits;
    QTest::newRow("pasted line end") << "13987654321\r\n" << "Hi" << kPduNotDigits;
    QTest::newRow("19 digits") << "1234567890123456789" << "Hi" << kPduTooManyDigits;
    QTest::newRow("71 code units") << "13987654321" << QString(71, QChar(0x4E2D)) << kTooLong;
    QTest::newRow("69 characters and one outside the BMP are 71 units")
        << "13987654321" << QString(69, QChar(0x4E2D)) + QString::fromUtf16(u"\U0001F600") << kTooLong;
    QTest::newRow("number checked before message") << "" << QString(200, u'a') << kEmptyNumber;
}

void TestInputChecks::pduModeInput()
{
    QFETCH(QString, number);
    QFETCH(QString, message);
    QFETCH(QString, refusal);
    QCOMPARE(Refusal(CheckPduModeInput(number, message)), refusal);
}

void TestInputChecks::textModeInput_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("service number, plain text") << "10086" << "abc" << kAccepted;
    QTest::newRow("international number with plus") << "+8613987654321" << "abc" << kAccepted;
    // The module judges the rest and answers with its own error if it must.
    QTest::newRow("empty number goes to the module") << "" << "abc" << kAccepted;
    QTest::newRow("letters in the number go to the module") << "86+139 x" << "abc" << kAccepted;
    QTest::newRow("every Latin-1 character but Ctrl-Z and ESC")
        << "10086" << EveryLatin1CharacterButCtrlZAndEsc() << kAccepted;
    QTest::newRow("accented letter and pound sign") << "10086" << QStringLiteral("caf\u00E9 \u00A3") << kAccepted;
    QTest::newRow("empty message") << "10086" << "" << kAccepted;
    QTest::newRow("double quote would close the number field") << "100\"86" << "abc"
                                                               << kBreaksCommandLine;
    QTest::newRow("CR would end the command line") << "10086\r" << "abc" << kBreaksCommandLine;
    QTest::newRow("LF in the number") << "100\n86" << "abc" << kBreaksCommandLine;
    QTest::newRow("Ctrl-Z in the number") << "100\x1A" << "abc" << kBreaksCommandLine;
    QTest::newRow("full-width digit in the number") << QStringLiteral("１0086") << "abc" << kNumberNotLatin1;
    QTest::newRow("Ctrl-Z would send the message early") << "10086" << QString("ab\x1A" "cd")
                                                          << kControlCharacter;
    QTest::newRow("ESC would cancel the message") << "10086" << QString("ab\x1B" "cd")
                                                  << kControlCharacter;
    QTest::newRow("Ctrl-Z reported even after an unsendable character")
        << "10086" << QStringLiteral("中\x1A") << kControlCharacter;
    QTest::newRow("Chinese text") << "10086" << QStringLiteral("你好") << kNotTextMode;
    QTest::newRow("euro sign is beyond Latin-1") << "10086" << QStringLiteral("\u20AC5") << kNotTextMode;
}

void TestInputChecks::textModeInput()
{
    QFETCH(QString, number);
    QFETCH(QString, message);
    QFETCH(QString, refusal);
    QCOMPARE(Refusal(CheckTextModeInput(number, message)), refusal);
}

QTEST_GUILESS_MAIN(TestInputChecks)
#include "tst_input_checks.moc"
