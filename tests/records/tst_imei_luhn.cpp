// The IMEI check: Luhn check digits of real IMEIs and card numbers, the classification of what
// the module test reads, and the warning that names the expected digit.

#include "records/RunRecord.h"

#include <QTest>

using namespace quillon::records;

class ImeiLuhn : public QObject
{
    Q_OBJECT

private slots:
    void checkDigit_data();
    void checkDigit();
    void classification_data();
    void classification();
    void warningNamesExpectedDigit();
};

void ImeiLuhn::checkDigit_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("digit");
    QTest::newRow("IMEI 49015420323751-8") << "49015420323751" << 8;
    QTest::newRow("IMEI 35693803564380-9") << "35693803564380" << 9;
    QTest::newRow("IMEI 35209900176148-1") << "35209900176148" << 1;
    QTest::newRow("card number 7992739871-3") << "7992739871" << 3;
    QTest::newRow("all zeros") << "00000000000000" << 0;
    QTest::newRow("doubled 9 folds to 9") << "9" << 1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("letter") << "4901542032375A" << -1;
    QTest::newRow("blank") << "49015420 23751" << -1;
}

void ImeiLuhn::checkDigit()
{
    QFETCH(QString, body);
    QFETCH(int, digit);
    QCOMPARE(LuhnCheckDigit(body), digit);
    if (digit >= 0) {
        QVERIFY(LuhnValid(body + QString::number(digit)));
        QVERIFY(!LuhnValid(body + QString::number((digit + 1) % 10)));
    }
}

void ImeiLuhn::classification_data()
{
    QTest::addColumn<QString>("imei");
    QTest::addColumn<ImeiCheck>("check");
    QTest::newRow("valid") << "490154203237518" << ImeiCheck::Valid;
    QTest::newRow("last digit off by one") << "490154203237519" << ImeiCheck::WrongCheckDigit;
    QTest::newRow("two digits swapped") << "490154203273518" << ImeiCheck::WrongCheckDigit;
    QTest::newRow("none read") << "" << ImeiCheck::None;
    QTest::newRow("cut short by the receive text") << "4901542032" << ImeiCheck::Malformed;
    QTest::newRow("line end in the cut") << "\r\n490154203237" << ImeiCheck::Malformed;
    QTest::newRow("sixteen digits") << "4901542032375180" << ImeiCheck::Malformed;
    QTest::newRow("full-width digits") << "４９０１５４２０３２３７５１８" << ImeiCheck::Malformed;
}

void ImeiLuhn::classification()
{
    QFETCH(QString, imei);
    QFETCH(ImeiCheck, check);
    QCOMPARE(CheckImei(imei), check);
    RunRecord record;
    record.SetImei(imei);
    QCOMPARE(record.imeiCheck, check);
    QCOMPARE(record.warning.isEmpty(), check == ImeiCheck::Valid || check == ImeiCheck::None);
}

void ImeiLuhn::warningNamesExpectedDigit()
{
    const QString warning = ImeiWarning(u"490154203237519", ImeiCheck::WrongCheckDigit);
    QVERIFY2(warning.contains(QLatin1String("490154203237519")) && warning.contains(QStringLiteral("应为 8")),
             qPrintable(warning));
}

QTEST_APPLESS_MAIN(ImeiLuhn)
#include "tst_imei_luhn.moc"
