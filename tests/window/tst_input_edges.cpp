// Where the window meets the keyboard, pop-ups and input methods: editing keys in the digit
// boxes, Tab through the text areas, input shut out for a whole wait, text that cannot go out as
// typed, and the port's activity stream as its listeners see it.

#include "WindowFixture.h"

#include "support/ScriptedPeer.h"
#include "terminal/Widgets.h"
#include "terminal/WindowGate.h"

#include <QAbstractItemView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace quillon;
using namespace quillon::testing;

namespace {

/// Keeps every byte of the stream, and the order of the event kinds.
class Collector : public PortListener {
public:
    void PortEventOccurred(const PortEvent &event) override
    {
        kinds.append(event.kind);
        if (event.kind == PortEventKind::Received)
            received += event.bytes;
        if (event.kind == PortEventKind::Sent)
            sent += event.bytes;
    }
    QList<PortEventKind> kinds;
    QByteArray received;
    QByteArray sent;
};

QByteArray Pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

} // namespace

class InputEdgesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editingKeysWorkInTheDigitBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<QString>("after");
        const auto none = Qt::KeyboardModifiers();
        const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Delete in the number box") << "TextNumber" << none << false << "0086";
        QTest::newRow("Delete in the PIN box") << "TextPIN" << none << false << "642";
        QTest::newRow("Shift+Delete cuts the selection") << "TextNumber" << shift << true << "";
    }
    void editingKeysWorkInTheDigitBoxes()
    {
        QFETCH(QString, box);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, selectAll);
        QFETCH(QString, after);
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        auto *edit = f.window->findChild<QLineEdit *>(box);
        edit->setFocus();
        edit->setCursorPosition(0);
        if (selectAll)
            edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete, modifiers);
        QCOMPARE(edit->text(), after);
    }

    void tabMovesOnFromTheTextAreas_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("command area") << "TextOut" << "RTextBuf";
        QTest::newRow("message area") << "SEND" << "dtmf";
    }
    void tabMovesOnFromTheTextAreas()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        ScriptedPeer peer;
        WindowFixture f(&peer);
        f.Show();
        f.Open();
        auto *area = f.window->findChild<QPlainTextEdit *>(from);
        const QString before = area->toPlainText();
        area->setFocus();
        QTest::keyClick(area, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        QCOMPARE(area->toPlainText(), before);
        QVERIFY(f.comm->Writes().empty());
    }

    void laterChunkFailureKeepsTheWindowShutForTheWholeWait()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Open(QStringLiteral("256000bps"));
        Quillon &w = *f.window;
        bool openedDuringWait = false;
        f.pacing.SetEachMs([&] {
            // The first chunk is on its way; the next write will fail.
            if (f.comm->Writes().size() == 1)
                f.comm->SetOutputFailure(true);
            if (w.Exchange().State().WaitActive && w.Gate().IsWindowEnabled())
                openedDuringWait = true;
        });
        const qint64 start = f.pacing.NowMs();
        w.Exchange().SendCommand(QString(1000, QLatin1Char('A')));

        QVERIFY(!openedDuringWait);
        QCOMPARE(f.pacing.NowMs() - start, 300);
        QVERIFY(w.Gate().IsWindowEnabled());
        QVERIFY(!w.Exchange().State().SendInProgress);
        QCOMPARE(f.messages.plain.size(), 1);
    }

    void dropDownOpenedInAPauseCannotPickDuringTheNextWait()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Show();
        f.Open();
        Quillon &w = *f.window;
        const int speed = w.ComboSpeed->currentIndex();
        const QString settings = f.comm->Settings();
        // Opened during a pause, when the window is open to input.
        w.ComboSpeed->showPopup();
        QAbstractItemView *list = w.ComboSpeed->view();
        QTRY_VERIFY(list->isVisible());
        f.pacing.SetEachMs([&] {
            if (w.Exchange().State().WaitActive) {
                QTest::keyClick(list, Qt::Key_Up);
                QTest::keyClick(list, Qt::Key_Return);
                const QRect item = list->visualRect(list->model()->index(0, 0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
            }
        });
        w.Exchange().SendCommand(QStringLiteral("AT"));
        f.pacing.SetEachMs({});

        QCOMPARE(w.ComboSpeed->currentIndex(), speed);
        QCOMPARE(f.comm->Settings(), settings);
        w.ComboSpeed->hidePopup();
    }

    void inputMethodTextIsShutOutDuringTheWait()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Show();
        f.Open();
        Quillon &w = *f.window;
        w.SEND->setPlainText(QStringLiteral("before"));
        f.pacing.SetEachMs([&] {
            if (w.Exchange().State().WaitActive) {
                QInputMethodEvent commit;
                commit.setCommitString(QStringLiteral("中"));
                QApplication::sendEvent(w.SEND, &commit);
            }
        });
        w.Exchange().SendCommand(QStringLiteral("AT"));
        f.pacing.SetEachMs({});
        QCOMPARE(w.SEND->toPlainText(), QStringLiteral("before"));

        // Outside a wait the same text goes in.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("中"));
        QApplication::sendEvent(w.SEND, &commit);
        QVERIFY(w.SEND->toPlainText().contains(QStringLiteral("中")));
    }

    void textBeyondLatin1IsRefusedNotSentAsQuestionMarks_data()
    {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("typed into the command area") << true << QStringLiteral("AT+CMGS=中");
        QTest::newRow("DTMF box through a button") << false << QStringLiteral("１");
    }
    void textBeyondLatin1IsRefusedNotSentAsQuestionMarks()
    {
        QFETCH(bool, typed);
        QFETCH(QString, text);
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Show();
        f.Open();
        Quillon &w = *f.window;
        if (typed) {
            w.TextOut->SetText(text);
            QTest::keyClick(w.TextOut, Qt::Key_Return);
            // The text stays for the user to mend, and the area stays usable.
            QCOMPARE(w.TextOut->Text(), text);
            QVERIFY(w.TextOut->isEnabled());
        } else {
            w.dtmf->setText(text);
            w.ComDial->click();
        }
        QVERIFY(f.comm->Writes().empty());
        QCOMPARE(f.messages.information.size(), 1);
        QVERIFY(f.messages.information.first().contains(text.right(1)));
        QVERIFY(!w.Exchange().State().SendInProgress);
        QCOMPARE(w.TextSend->Color(), kLampYellow);
    }

    void receiveLampFlickersGreenOnlyWhileDataComes()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Open();
        Quillon &w = *f.window;
        f.Pump(10);
        QCOMPARE(w.TextReceive->Color(), kLampYellow);
        peer.QueueForHost("RING\r\n", f.pacing.NowMs() + 2);
        QList<QColor> seen;
        f.pacing.SetEachMs([&] {
            if (seen.isEmpty() || seen.last() != w.TextReceive->Color())
                seen.append(w.TextReceive->Color());
        });
        f.Pump(20);
        QCOMPARE(seen, (QList<QColor>{kLampYellow, kLampGreen, kLampYellow}));
    }

    void sendCommandLeavesTheFocusWhereItWas()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        f.Show();
        f.Open();
        Quillon &w = *f.window;
        w.ComSignal->setFocus();
        QTRY_VERIFY(w.ComSignal->hasFocus());
        w.ComSignal->click();
        QVERIFY(!w.Exchange().State().SendInProgress);
        QVERIFY(w.TextOut->isEnabled());
        QVERIFY(w.ComSignal->hasFocus());
    }

    void everyListenerSeesEveryByteOfAFloodInOrder()
    {
        ScriptedPeer peer;
        WindowFixture f(&peer, QString(), WindowFixture::Time::Virtual);
        Collector first, second;
        f.comm->Activity().AddListener(&first);
        f.comm->Activity().AddListener(&second);
        f.Open(QStringLiteral("256000bps"));
        const QByteArray flood = Pattern(200000);
        for (qsizetype at = 0; at < flood.size(); at += 4096)
            peer.QueueForHost(flood.mid(at, 4096), f.pacing.NowMs() + at / 4096);
        f.window->Exchange().SendCommand(QStringLiteral("AT"));
        f.Pump(200);
        f.window->ComStartStop->click();

        for (const Collector *c : {&first, &second}) {
            QCOMPARE(c->received, flood);
            QCOMPARE(c->sent, QByteArray("AT\r\n"));
            QCOMPARE(c->kinds.first(), PortEventKind::Opened);
            QCOMPARE(c->kinds.last(), PortEventKind::Closed);
        }
        f.comm->Activity().RemoveListener(&first);
        f.comm->Activity().RemoveListener(&second);
    }
};

QTEST_MAIN(InputEdgesTest)
#include "tst_input_edges.moc"
