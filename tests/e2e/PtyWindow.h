#pragma once
// The main window on the real serial backend, cabled through a pseudo-terminal to a running
// quillon-sim that logs to a file; and a reader for that log.

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "serial/QtSerialComm.h"
#include "connection/PortConnection.h"
#include "support/RecordingMessageSink.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace quillon::testing {

/// One line of quillon-sim's log.
struct SimLogEvent {
    int baud = 0;     ///< 0 when the line names no speed
    QString kind;     ///< ">" command line, "> body", "x" bytes not understood, "--" state
    QString text;
};

class PtyWindow {
public:
    static constexpr int kStartMs = 10000;

    /// Starts quillon-sim with `simArguments` (plus its log file) and builds the window on a
    /// QtSerialComm whose port 1 is the simulator's device. Check Ready() afterwards.
    explicit PtyWindow(const QStringList &simArguments)
    {
        SetIniFilePath(m_dir.filePath(QStringLiteral("quillon.ini")));
        m_process.setProgram(QStringLiteral(QUILLON_SIM_PROGRAM));
        m_process.setArguments(simArguments + QStringList{QStringLiteral("--log"), LogPath()});
        m_process.start();
        if (!m_process.waitForStarted(kStartMs))
            return;
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < kStartMs)
            m_process.waitForReadyRead(100);
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();

        const QString device = m_device;
        comm = std::make_unique<QtSerialComm>(
            [device](int port) { return port == 1 ? device : QStringLiteral("/nonexistent"); });
        window = std::make_unique<Quillon>(*comm, messages);
        window->Form_Load();
    }

    ~PtyWindow()
    {
        window.reset();
        comm.reset();
        StopSim();
        SetIniFilePath(QString());
    }

    bool Ready() const { return !m_device.isEmpty() && window; }

    /// Opens port 1 ("COM 1") at the speed entry given.
    void Open(const QString &speedEntry)
    {
        window->ComboPort->setCurrentIndex(0);
        window->Connection().SelectSpeed(window->ComboSpeed->findText(speedEntry));
        window->ComStartStop->click();
    }

    /// Ends quillon-sim as a user would, so that its log is complete; returns its exit code.
    int StopSim()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitCode();
        m_process.terminate();
        if (!m_process.waitForFinished(kStartMs)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    QString LogPath() const { return m_dir.filePath(QStringLiteral("sim.log")); }

    QByteArray RawLog() const
    {
        QFile file(LogPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// The log as events, in order. Lines look like
    /// "2024-05-20 09:15:30.123   9600 bps > AT&F".
    QList<SimLogEvent> Log() const
    {
        static const QRegularExpression line(
            QStringLiteral("^\\S+ \\S+ +(?:(\\d+) bps|) +(> body|>|x|--) (.*)$"));
        QList<SimLogEvent> events;
        for (const QString &text : QString::fromUtf8(RawLog()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = line.match(text);
            if (m.hasMatch())
                events.append(SimLogEvent{m.captured(1).toInt(), m.captured(2), m.captured(3)});
        }
        return events;
    }

    /// The command lines the simulator heard, with their speeds.
    QList<std::pair<int, QString>> CommandLines() const
    {
        QList<std::pair<int, QString>> out;
        for (const SimLogEvent &e : Log())
            if (e.kind == QLatin1String(">"))
                out.append({e.baud, e.text});
        return out;
    }

    RecordingMessageSink messages;
    std::unique_ptr<QtSerialComm> comm;
    std::unique_ptr<Quillon> window;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
};

} // namespace quillon::testing
