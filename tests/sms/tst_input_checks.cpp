// The checks run before a message is sent: what a pasted number or an over-long or unsendable
// message is refused with, and that ordinary input passes untouched.

#include "sms/SmsPdu.h"

#include <QTest>

using namespace quillon;

namespace {
const QString kAccepted;
const QString kEmptyNumber = QStringLiteral("号码为空，请输入对方号码");
const QString kPduNotDigits = QStringLiteral("号码只能包含数字");
const QString kTextNotDigits = QStringLiteral("号码只能包含数字，可以+开头");
const QString kPduTooManyDigits = QStringLiteral("号码过长，最多18位数字");
const QString kTextTooManyDigits = QStringLiteral("号码过长，最多20位数字");
const QString kTooLong = QStringLiteral("短信过长，最多70个字");
const QString kControlCharacter = QStringLiteral("短信不能包含Ctrl-Z或ESC控制字符");
const QString kNotTextMode = QStringLiteral("英文短信只能包含英文字母、数字和常用符号");

QString Refusal(const std::optional<QString> &check) { return check.value_or(QString()); }

QString PrintableAsciiWithoutBacktick()
{
    QString all;
    for (char16_t c = u' '; c <= u'~'; ++c) {
        if (c != u'`')
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
    QTest::newRow("every printable ASCII character but the backtick")
        << "10086" << PrintableAsciiWithoutBacktick() << kAccepted;
    QTest::newRow("line breaks") << "10086" << "line one\r\nline two\nthree" << kAccepted;
    QTest::newRow("empty message") << "10086" << "" << kAccepted;
    QTest::newRow("empty number") << "" << "abc" << kEmptyNumber;
    QTest::newRow("plus sign alone") << "+" << "abc" << kTextNotDigits;
    QTest::newRow("double quote would close the number field") << "100\"86" << "abc"
                                                               << kTextNotDigits;
    QTest::newRow("CR would end the command line") << "10086\r" << "abc" << kTextNotDigits;
    QTest::newRow("LF in the number") << "100\n86" << "abc" << kTextNotDigits;
    QTest::newRow("plus sign inside") << "86+139" << "abc" << kTextNotDigits;
    QTest::newRow("21 digits") << "123456789012345678901" << "abc" << kTextTooManyDigits;
    QTest::newRow("Ctrl-Z would send the message early") << "10086" << QString("ab\x1A" "cd")
                                                          << kControlCharacter;
    QTest::newRow("ESC would cancel the message") << "10086" << QString("ab\x1B" "cd")
                                                  << kControlCharacter;
    QTest::newRow("Ctrl-Z reported even after an unsendable character")
        << "10086" << QStringLiteral("中\x1A") << kControlCharacter;
    QTest::newRow("Chinese text") << "10086" << QStringLiteral("你好") << kNotTextMode;
    QTest::newRow("accented Latin letter") << "10086" << QStringLiteral("caf\u00E9") << kNotTextMode;
    QTest::newRow("backtick has no GSM 7-bit code") << "10086" << "a`b" << kNotTextMode;
    QTest::newRow("tab") << "10086" << "a\tb" << kNotTextMode;
    QTest::newRow("DEL") << "10086" << "a\x7F" << kNotTextMode;
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
