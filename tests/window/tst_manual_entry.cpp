// Typed commands in the command area and the digit filter of the number and PIN boxes.

#include "WindowFixture.h"

#include "support/ScriptedPeer.h"
#include "terminal/Widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

using namespace quillon;
using namespace quillon::testing;

class ManualEntryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void enterSendsTheTypedLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("AT command gets one CR") << "ati" << QByteArray("ati\r");
        QTest::newRow("upper case A too") << "AT+CSQ" << QByteArray("AT+CSQ\r");
        QTest::newRow("escape sequence goes bare") << "+++" << QByteArray("+++");
        QTest::newRow("hex PDU goes bare") << "0011000D91" << QByteArray("0011000D91");
    }
    void enterSendsTheTypedLine()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, wire);
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        f.Open();
        Quillon &w = *f.window;
        w.Received().SetText(QStringLiteral("kept"));
        w.TextOut->setFocus();
        QTest::keyClicks(w.TextOut, typed);
        QTest::keyClick(w.TextOut, Qt::Key_Return);

        QCOMPARE(f.comm->AllWritten(), wire);
        QCOMPARE(w.TextSend->Color(), kLampGreen);
        QVERIFY(!w.TextOut->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.TextOut->isEnabled(), 1000);
        QCOMPARE(w.TextOut->Text(), QString());
        QCOMPARE(w.TextSend->Color(), kLampYellow);
        QTRY_VERIFY(w.TextOut->hasFocus());
        QVERIFY(w.Received().Text().startsWith(QStringLiteral("kept")));
    }

    void enterOnAnEmptyAreaSendsNothing()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        f.Open();
        QTest::keyClick(f.window->TextOut, Qt::Key_Return);
        QVERIFY(f.comm->Writes().empty());
        QVERIFY(!f.window->Exchange().State().SendInProgress);
        QVERIFY(f.window->TextOut->isEnabled());
        QCOMPARE(f.window->TextSend->Color(), kLampYellow);
    }

    void longTypedTextGoesOutInChunksEachLaterOneWithCR()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        f.Open(QStringLiteral("256000bps"));
        const QString text = QStringLiteral("at") + QString(1100, QLatin1Char('1'));
        f.window->TextOut->SetText(text);
        QTest::keyClick(f.window->TextOut, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!f.window->Exchange().State().SendInProgress, 2000);
        const auto &writes = f.comm->Writes();
        QCOMPARE(writes.size(), size_t(3));
        QCOMPARE(writes[0].bytes, text.left(512).toLatin1() + "\r");
        QCOMPARE(writes[1].bytes, text.mid(512, 512).toLatin1() + "\r");
        QCOMPARE(writes[2].bytes, text.mid(1024).toLatin1() + "\r");
    }

    void digitFilter_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("passes");
        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("0") << int(Qt::Key_0) << none << "0" << true;
        QTest::newRow("9") << int(Qt::Key_9) << none << "9" << true;
        QTest::newRow("letter") << int(Qt::Key_A) << none << "a" << false;
        QTest::newRow("plus") << int(Qt::Key_Plus) << none << "+" << false;
        QTest::newRow("star") << int(Qt::Key_Asterisk) << none << "*" << false;
        QTest::newRow("hash") << int(Qt::Key_NumberSign) << none << "#" << false;
        QTest::newRow("space") << int(Qt::Key_Space) << none << " " << false;
        QTest::newRow("slash (47)") << int(Qt::Key_Slash) << none << "/" << false;
        QTest::newRow("colon (58)") << int(Qt::Key_Colon) << none << ":" << false;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "" << true;
        QTest::newRow("delete is an editing key, never filtered") << int(Qt::Key_Delete) << none << "\x7f" << true;
        QTest::newRow("enter") << int(Qt::Key_Return) << none << "" << true;
        QTest::newRow("ctrl+c") << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << true;
        QTest::newRow("ctrl+v") << int(Qt::Key_V) << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << true;
        QTest::newRow("ctrl+x") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << true;
    }
    void digitFilter()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, passes);
        const int code = TypedCharacterCode(key, modifiers, text);
        QCOMPARE(DigitFilterPasses(code), passes);
    }

    void numberAndPinBoxesTakeDigitsButPastingIsNotFiltered()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        for (QLineEdit *box : {f.window->TextNumber, f.window->TextPIN}) {
            box->clear();
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("1a+2 #*3"));
            QCOMPARE(box->text(), QStringLiteral("123"));
            QTest::keyClick(box, Qt::Key_Backspace);
            QCOMPARE(box->text(), QStringLiteral("12"));
            box->clear();
            QApplication::clipboard()->setText(QStringLiteral("+86"));
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), QStringLiteral("+86"));
        }
    }

private:
    static bool DigitFilterPasses(int code);
};

#include "terminal/DigitFilter.h"
bool ManualEntryTest::DigitFilterPasses(int code) { return DigitFilter(code) != 0 || code == 0; }

QTEST_MAIN(ManualEntryTest)
#include "tst_manual_entry.moc"
