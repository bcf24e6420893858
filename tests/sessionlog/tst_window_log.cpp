// The session log of the main window: a scripted exchange gives the expected lines and decodes
// to the bytes on the wire in text and hexadecimal display alike; the [Log] settings; log
// problems show one message and change nothing the window shows or sends; the menu entries.

#include "window/WindowFixture.h"

#include "sessionlog/LogTestSupport.h"
#include "sessionlog/window/WindowLog.h"
#include "support/ScriptedPeer.h"
#include "terminal/ByteRendering.h"
#include "terminal/Widgets.h"
#include "connection/LineLabel.h"
#include "connection/ModemLines.h"

#include <QAction>
#include <QMenu>

#include <csignal>
#include <sys/resource.h>

using namespace quillon;
using namespace quillon::testing;

namespace {

const QByteArray kCsqReply = "AT+CSQ\r\r\n+CSQ: 21,0\r\n\r\nOK\r\n";

/// A window on a scripted module that answers AT+CSQ and AT, with a settings file holding `ini`.
struct LoggedWindow {
    explicit LoggedWindow(const QByteArray &ini = {})
    {
        peer.AddReply("AT+CSQ", kCsqReply, 5);
        peer.AddReply("AT", "AT\r\r\nOK\r\n", 5);
        QFile file(scratch.filePath(QStringLiteral("quillon.ini")));
        if (file.open(QIODevice::WriteOnly))
            file.write(ini);
        file.close();
        f = std::make_unique<WindowFixture>(&peer, file.fileName());
    }
    Quillon &W() { return *f->window; }
    WindowLog &Log() { return W().Logging(); }
    QByteArray LogText()
    {
        Log().Log()->Flush();
        return ReadAll(Log().CurrentFile());
    }

    QTemporaryDir scratch;
    ScriptedPeer peer;
    std::unique_ptr<WindowFixture> f;
};

} // namespace

class WindowLogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void scriptedExchangeIsLoggedExactly_data()
    {
        QTest::addColumn<bool>("hex");
        QTest::newRow("text display") << false;
        QTest::newRow("hex display") << true;
    }
    void scriptedExchangeIsLoggedExactly()
    {
        QFETCH(bool, hex);
        LoggedWindow l;
        l.W().CheckDisplay->setChecked(hex);
        l.f->Open();
        l.W().Exchange().SendCommand(QStringLiteral("AT+CSQ"));
        l.f->SelectSpeed(QStringLiteral("9600bps"));
        QTest::mouseClick(l.W().LabelDTR, Qt::LeftButton);
        const QString shown = l.W().Received().Text();
        l.W().ComStartStop->click();

        const QByteArray log = l.LogText();
        QCOMPARE(MaskedLines(log), (QStringList{
            "T * open COM 1 simulator 115200,N,8,1",
            "T * RTS on",
            "T > AT+CSQ\\r\\n",
            "T < AT+CSQ\\r\\r\\n",
            "T < +CSQ: 21,0\\r\\n",
            QStringLiteral("# 信号强度 -71 dBm，很好；误码率低于 0.2%（RXQUAL 0）"),
            "T < \\r\\n",
            "T < OK\\r\\n",
            "T * speed 9600,N,8,1",
            "T * DTR off",
            "T * close",
        }));
        const DecodedLog decoded = DecodeLog(log);
        QCOMPARE(decoded.sent, l.peer.AllReceived());
        QCOMPARE(decoded.received, kCsqReply);
        QCOMPARE(RenderBytes(decoded.received, hex), shown);
    }

    void settingsChooseTheFolder_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("folder"); ///< below the settings file's folder
        QTest::addColumn<bool>("enabled");
        QTest::newRow("no section") << QByteArray("[QuillonSet]\r\nPort=0\r\n") << "logs" << true;
        QTest::newRow("relative folder") << QByteArray("[Log]\r\nFolder=bench/run1\r\n") << "bench/run1" << true;
        QTest::newRow("folder with comment") << QByteArray("[Log]\r\nFolder=x ; mine\r\nEnabled=1\r\n") << "x" << true;
        QTest::newRow("turned off") << QByteArray("[Log]\r\nEnabled=0\r\n") << "logs" << false;
    }
    void settingsChooseTheFolder()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, folder);
        QFETCH(bool, enabled);
        LoggedWindow l(ini);
        QCOMPARE(l.Log().Folder(), l.scratch.filePath(folder));
        QCOMPARE(l.Log().Log() != nullptr, enabled);
        l.f->Open();
        l.W().Exchange().SendCommand(QStringLiteral("AT"));
        l.W().ComStartStop->click();
        if (enabled)
            QVERIFY(DecodeLog(l.LogText()).sent == "AT\r\n");
        QCOMPARE(ReadAll(l.scratch.filePath(QStringLiteral("quillon.ini"))), ini);
    }

    void logProblemShowsOneMessageAndChangesNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder cannot be made") << "file in the way" << QStringLiteral("无法建立日志文件夹");
        QTest::newRow("file size limit") << "size limit" << QStringLiteral("写入失败");
        QTest::newRow("folder removed") << "remove folder" << QStringLiteral("删除或移走");
    }
    void logProblemShowsOneMessageAndChangesNothing()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QTemporaryDir blockers;
        const QString blocker = blockers.filePath(QStringLiteral("not-a-folder"));
        QFile(blocker).open(QIODevice::WriteOnly);
        LoggedWindow l(fault == QLatin1String("file in the way")
                           ? "[Log]\r\nFolder=" + blocker.toUtf8() + "/logs\r\n" : QByteArray());
        l.f->Open();
        l.W().Exchange().SendCommand(QStringLiteral("AT"));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        if (fault == QLatin1String("size limit")) {
            rlimit tight = saved;
            tight.rlim_cur = rlim_t(l.LogText().size() + 20);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        } else if (fault == QLatin1String("remove folder")) {
            QVERIFY(QDir(l.Log().Folder()).removeRecursively());
        }
        for (int i = 0; i < 3; ++i) {
            l.W().Exchange().SendCommand(QStringLiteral("AT+CSQ"));
            QCOMPARE(l.W().Received().Text(), QString::fromLatin1(kCsqReply));
            l.f->Pump(200);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(l.f->messages.messages.size(), 1);
        QVERIFY2(l.f->messages.plain.value(0).contains(message), qPrintable(l.f->messages.messages.join(u'|')));
        QCOMPARE(l.peer.AllReceived(), QByteArray("AT\r\nAT+CSQ\r\nAT+CSQ\r\nAT+CSQ\r\n"));
    }

    void menuOffersTheLogAndSavesTheReceiveArea()
    {
        LoggedWindow l;
        l.f->Open();
        l.W().Exchange().SendCommand(QStringLiteral("AT+CSQ"));
        l.W().RTextBuf->RefreshNow();
        std::unique_ptr<QMenu> menu(l.Log().CreateMenu({5, 5}));
        QStringList entries;
        for (QAction *a : menu->actions())
            if (a->isEnabled() && !a->isSeparator())
                entries << a->text();
        for (const char *entry : {"打开日志文件夹", "打开当前日志", "保存接收区为文本文件…"})
            QVERIFY2(entries.contains(QString::fromUtf8(entry)), qPrintable(entries.join(u'|')));

        const QString saved = l.scratch.filePath(QStringLiteral("area.txt"));
        QVERIFY(l.Log().SaveReceiveArea(saved));
        QCOMPARE(QString::fromUtf8(ReadAll(saved)), l.W().RTextBuf->toPlainText());
        QVERIFY(!l.Log().SaveReceiveArea(l.scratch.filePath(QStringLiteral("missing/area.txt"))));
        QCOMPARE(l.f->messages.plain.size(), 1);
    }
};

QTEST_MAIN(WindowLogTest)
#include "tst_window_log.moc"
