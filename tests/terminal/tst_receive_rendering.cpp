// How received bytes stand in the exact receive text, and how the text is kept bounded.

#include "terminal/ByteRendering.h"
#include "terminal/ReceiveText.h"
#include "terminal/Widgets.h"

#include <QApplication>
#include <QTest>

using namespace quillon;

class ReceiveRenderingTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void byteRendering_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<QString>("text");
        QTest::newRow("NUL as text") << QByteArray(1, '\0') << false << "[EOF]";
        QTest::newRow("NUL as hex") << QByteArray(1, '\0') << true << "[00]";
        QTest::newRow("SOH") << QByteArray("\x01") << false << "[01]";
        QTest::newRow("tab") << QByteArray("\t") << false << "[09]";
        QTest::newRow("LF stands as itself") << QByteArray("\n") << false << "\n";
        QTest::newRow("CR stands as itself") << QByteArray("\r") << false << "\r";
        QTest::newRow("ESC raw") << QByteArray("\x1b") << false << QString(QChar(27));
        QTest::newRow("Ctrl-Z raw") << QByteArray("\x1a") << false << QString(QChar(26));
        QTest::newRow("DEL raw") << QByteArray("\x7f") << false << QString(QChar(127));
        QTest::newRow("128 as Latin-1") << QByteArray("\x80") << false << QString(QChar(128));
        QTest::newRow("255 as Latin-1") << QByteArray("\xff") << false << QString(QChar(255));
        QTest::newRow("OK CR LF in hex") << QByteArray("OK\r\n") << true << "[4F][4B][0D][0A]";
        QTest::newRow("reply as text") << QByteArray("\r\nOK\r\n") << false << "\r\nOK\r\n";
    }
    void byteRendering()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hex);
        QFETCH(QString, text);
        QCOMPARE(RenderBytes(bytes, hex), text);
    }

    void everyByteKeepsItsPositionInTextDisplay()
    {
        QByteArray all;
        for (int b = 10; b < 256; ++b)
            all.append(char(b));
        const QString text = RenderBytes(all, false);
        QCOMPARE(text.size(), all.size());
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(text.at(i).unicode(), ushort(static_cast<unsigned char>(all.at(i))));
    }

    void cutRule_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("expectedSize");
        QTest::addColumn<bool>("cut");
        QTest::newRow("4001 held: cut to 2000 then append") << 4001 << 2010 << true;
        QTest::newRow("exactly 4000: no cut") << 4000 << 4010 << false;
        QTest::newRow("small: no cut") << 10 << 20 << false;
    }
    void cutRule()
    {
        QFETCH(int, held);
        QFETCH(int, expectedSize);
        QFETCH(bool, cut);
        QString old;
        for (int i = 0; i < held; ++i)
            old += QChar('a' + i % 26);
        ReceiveText r;
        r.SetText(old);
        r.Append(QStringLiteral("0123456789"));
        QCOMPARE(r.Text().size(), expectedSize);
        QVERIFY(r.Text().endsWith(QStringLiteral("0123456789")));
        if (cut)
            QCOMPARE(r.Text().left(2000), old.right(2000));
        else
            QVERIFY(r.Text().startsWith(old));
    }

    void hexReachesTheCutFourTimesSooner()
    {
        ReceiveText r;
        const QByteArray bytes(1001, 'x');
        r.Append(RenderBytes(bytes, true)); // 4004 characters from 1001 bytes
        QCOMPARE(r.Text().size(), 4004);
        r.Append(RenderBytes("y", true));
        QCOMPARE(r.Text().size(), 2004);
    }

    void switchingDisplayBetweenTicksLeavesEarlierTextAlone()
    {
        ReceiveText r;
        r.Append(RenderBytes("O", false));
        r.Append(RenderBytes("K\r\n", true));
        QCOMPARE(r.Text(), QStringLiteral("O[4B][0D][0A]"));
    }

    void viewShowsLineEndsAsSingleBreaks()
    {
        ReceiveText model;
        ReceiveArea view(model);
        model.Append(QStringLiteral("AT\r"));
        view.RefreshNow();
        model.Append(QStringLiteral("\nOK\r\n\r\nA\rB\nC"));
        view.RefreshNow();
        QCOMPARE(view.toPlainText(), QStringLiteral("AT\nOK\n\nA\nB\nC"));
        model.Clear();
        model.Append(QStringLiteral("x"));
        view.RefreshNow();
        QCOMPARE(view.toPlainText(), QStringLiteral("x"));
        // The model, not the widget, keeps the exact text.
        QCOMPARE(model.Text(), QStringLiteral("x"));
    }
};

QTEST_MAIN(ReceiveRenderingTest)
#include "tst_receive_rendering.moc"
