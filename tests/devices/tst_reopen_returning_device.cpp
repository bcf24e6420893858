// A device lost while open (the pseudo-terminal hung up) and back again: the window reopens it
// at the same settings, unless the user acted meanwhile, reopening is turned off, or what came
// back is another device. The window runs on the QSerialPort backend; port 1 is mapped to a
// link in a scratch folder that stands for the device's path.

#include "app/DeviceSupport.h"
#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "connection/PortConnection.h"
#include "serial/QtSerialComm.h"
#include "support/FixedDevices.h"
#include "support/PtyPair.h"
#include "support/RecordingMessageSink.h"
#include "terminal/WindowGate.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillon;

namespace {

enum class UserAction { None, PressedOpen, PickedPort };
enum class Return { SamePath, SameByIdOtherNode, OtherDeviceAtOldPath };

const QString kById = QStringLiteral("/x/by-id/usb-Quectel_EC25-if02");

/// Records the port's open and loss events, as the log would show them.
struct EventLog : PortListener {
    void PortEventOccurred(const PortEvent &e) override
    {
        if (e.kind == PortEventKind::Opened || e.kind == PortEventKind::Lost)
            lines << PortEventKindName(e.kind) + QLatin1Char(' ') + e.device;
    }
    QStringList lines;
};

struct ReopenWindow {
    explicit ReopenWindow(bool autoReopen)
    {
        const QString ini = dir.filePath(QStringLiteral("quillon.ini"));
        SetIniFilePath(ini);
        if (!autoReopen) {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Options]\r\nAutoReopen=0\r\n");
        }
        comm = std::make_unique<QtSerialComm>([this](int port) { return support->Resolve(port).device; });
        comm->Activity().AddListener(&log);
        window = std::make_unique<Quillon>(*comm, messages);
        support = new DeviceSupport(*window, devices, [this](int) { return PortTarget{link, false}; },
                                    ReopenTiming{20, 60000, 2});
        window->Form_Load();
        window->Connection().SelectSpeed(window->ComboSpeed->findText(QStringLiteral("115200bps")));
    }
    ~ReopenWindow()
    {
        window.reset();
        comm->Activity().RemoveListener(&log);
        SetIniFilePath(QString());
    }
    void Plug(const test::PtyPair &pty)
    {
        QFile::remove(link);
        QVERIFY(QFile::link(pty.SlavePath(), link));
    }

    QTemporaryDir dir;
    QString link = dir.filePath(QStringLiteral("modem"));
    test::FixedDevices devices;
    RecordingMessageSink messages;
    EventLog log;
    std::unique_ptr<QtSerialComm> comm;
    std::unique_ptr<Quillon> window;
    DeviceSupport *support = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(UserAction)
Q_DECLARE_METATYPE(Return)

class ReopenReturningDeviceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void reopen_data()
    {
        QTest::addColumn<bool>("autoReopen");
        QTest::addColumn<UserAction>("action");
        QTest::addColumn<Return>("comesBack");
        QTest::addColumn<bool>("reopened");
        QTest::newRow("same path: reopened") << true << UserAction::None << Return::SamePath << true;
        QTest::newRow("same by-id name under another node: reopened there")
            << true << UserAction::None << Return::SameByIdOtherNode << true;
        QTest::newRow("another device at the old path: left closed")
            << true << UserAction::None << Return::OtherDeviceAtOldPath << false;
        QTest::newRow("user pressed open meanwhile") << true << UserAction::PressedOpen << Return::SamePath << false;
        QTest::newRow("user picked a port meanwhile") << true << UserAction::PickedPort << Return::SamePath << false;
        QTest::newRow("AutoReopen=0") << false << UserAction::None << Return::SamePath << false;
    }
    void reopen()
    {
        QFETCH(bool, autoReopen);
        QFETCH(UserAction, action);
        QFETCH(Return, comesBack);
        QFETCH(bool, reopened);

        auto first = std::make_unique<test::PtyPair>();
        if (!first->Valid())
            QSKIP(qPrintable(first->Error()));
        ReopenWindow r(autoReopen);
        Quillon &w = *r.window;
        r.Plug(*first);
        const bool byId = comesBack != Return::SamePath;
        if (byId)
            r.devices.list = {test::UsbModem(first->SlavePath(), kById)};
        w.ComStartStop->click();
        QVERIFY(w.PortIsOpen());
        const QString openTitle = w.windowTitle();

        first->CloseMaster();
        QFile::remove(r.link);
        r.devices.list.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!w.PortIsOpen(), 3000);
        if (action == UserAction::PressedOpen) {
            w.ComStartStop->click();
            QCOMPARE(r.messages.plain.size(), 1);
        } else if (action == UserAction::PickedPort) {
            Q_EMIT w.ComboPort->activated(0);
        }

        test::PtyPair second;
        QVERIFY(second.Valid());
        if (comesBack != Return::SameByIdOtherNode)
            r.Plug(second);
        if (comesBack == Return::SameByIdOtherNode)
            r.devices.list = {test::UsbModem(second.SlavePath(), kById)};
        if (comesBack == Return::OtherDeviceAtOldPath)
            r.devices.list = {test::UsbModem(second.SlavePath(), QStringLiteral("/x/by-id/another"))};

        if (reopened) {
            QTRY_VERIFY_WITH_TIMEOUT(w.PortIsOpen(), 3000);
            QCOMPARE(w.windowTitle(), openTitle);
            const QString device = comesBack == Return::SameByIdOtherNode ? second.SlavePath() : r.link;
            QCOMPARE(r.log.lines, QStringList({QStringLiteral("open ") + r.link, QStringLiteral("lost "),
                                               QStringLiteral("open ") + device}));
            QVERIFY(r.messages.plain.isEmpty());
        } else {
            QTest::qWait(400);
            QVERIFY(!w.PortIsOpen());
            // Another device at the old path: the right one may still come back.
            QCOMPARE(r.support->Reopen().Watching(), comesBack == Return::OtherDeviceAtOldPath);
        }
    }

    void nothingReopensWhileAnOperationWaits()
    {
        auto first = std::make_unique<test::PtyPair>();
        if (!first->Valid())
            QSKIP(qPrintable(first->Error()));
        ReopenWindow r(true);
        Quillon &w = *r.window;
        r.Plug(*first);
        w.ComStartStop->click();
        first->CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!w.PortIsOpen(), 3000);

        w.Gate().SetWindowEnabled(false);
        test::PtyPair second;
        r.Plug(second);
        QTest::qWait(300);
        QVERIFY(!w.PortIsOpen());
        w.Gate().SetWindowEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(w.PortIsOpen(), 3000);
    }
};

QTEST_MAIN(ReopenReturningDeviceTest)
#include "tst_reopen_returning_device.moc"
