#pragma once
// A main window wired to the in-process simulated port, with the settings file in a scratch
// folder and message boxes recorded instead of shown.

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "serial/SimSerialComm.h"
#include "terminal/CommandExchange.h"
#include "terminal/ReceiveMonitor.h"
#include "support/RecordingMessageSink.h"
#include "support/VirtualPacing.h"
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
    enum class Time { Real, Virtual };

    /// `iniPath` empty: a fresh settings file in a scratch folder. Virtual time: the port, the
    /// command exchange's waits and the 5 ms poll run on `pacing`, which moves at once.
    explicit WindowFixture(SerialPeer *peer, const QString &iniPath = QString(), Time time = Time::Real)
        : m_time(time)
    {
        SetIniFilePath(iniPath.isEmpty() ? dir.filePath(QStringLiteral("quillon.ini")) : iniPath);
        comm = std::make_unique<SimSerialComm>(peer);
        window = std::make_unique<Quillon>(*comm, messages);
        if (time == Time::Virtual) {
            comm->SetClock([this] { return pacing.NowMs(); });
            window->Exchange().SetPacing(pacing);
            pacing.SetPoll([this] {
                if (window->Connection().TimerRead().isActive())
                    window->Monitor().TimerRead_Timer();
            });
        }
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

    /// Runs the event loop for `ms` of the fixture's time (ticks of the receive monitor included).
    void Pump(int ms)
    {
        if (m_time == Time::Virtual)
            pacing.Pass(ms);
        else
            QTest::qWait(ms);
    }

    QTemporaryDir dir;
    RecordingMessageSink messages;
    VirtualPacing pacing;
    std::unique_ptr<SimSerialComm> comm;
    std::unique_ptr<Quillon> window;

private:
    Time m_time;
};

} // namespace quillon::testing
