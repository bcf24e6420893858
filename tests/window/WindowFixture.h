#pragma once
// A main window wired to the in-process simulated port, with the settings file in a scratch
// folder and message boxes recorded instead of shown.

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "serial/SimSerialComm.h"
#include "terminal/CommandExchange.h"
#include "support/RecordingMessageSink.h"
#include "connection/PortConnection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace quillon::testing {

class WindowFixture {
public:
    /// `iniPath` empty: a fresh settings file in a scratch folder.
    explicit WindowFixture(SerialPeer *peer, const QString &iniPath = QString())
    {
        SetIniFilePath(iniPath.isEmpty() ? dir.filePath(QStringLiteral("quillon.ini")) : iniPath);
        comm = std::make_unique<SimSerialComm>(peer);
        window = std::make_unique<Quillon>(*comm, messages);
        window->Form_Load();
    }
    ~WindowFixture()
    {
        window.reset();
        comm.reset();
        SetIniFilePath(QString());
    }

    void Show()
    {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    /// Selects a speed entry by its text, as the user would.
    void SelectSpeed(const QString &entry)
    {
        window->Connection().SelectSpeed(window->ComboSpeed->findText(entry));
    }

    void Open(const QString &speedEntry = QStringLiteral("115200bps"))
    {
        SelectSpeed(speedEntry);
        if (!window->PortIsOpen())
            window->ComStartStop->click();
    }

    /// Runs the event loop for `ms` (ticks of the receive monitor included).
    static void Pump(int ms) { QTest::qWait(ms); }

    QTemporaryDir dir;
    RecordingMessageSink messages;
    std::unique_ptr<SimSerialComm> comm;
    std::unique_ptr<Quillon> window;
};

} // namespace quillon::testing
