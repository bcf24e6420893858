#pragma once
// A quillon-sim process on a pseudo-terminal for end-to-end tests: started with its options,
// ready once it has printed its device path. Header only; the test gives the program's path.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>

namespace quillon::test {

class SimProcess {
public:
    static constexpr int kStartMs = 10000;

    bool Start(const QString &program, const QStringList &arguments)
    {
        m_process.setProgram(program);
        m_process.setArguments(arguments);
        m_process.start();
        if (!m_process.waitForStarted(kStartMs))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!m_process.canReadLine() && clock.elapsed() < kStartMs)
            m_process.waitForReadyRead(100);
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return !m_device.isEmpty();
    }
    /// Ends it as a user would (its link goes, the line hangs up); its exit code, -1 if killed.
    int Stop()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(kStartMs)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    /// Ends it at once, as a module losing power mid-run.
    void Kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QString Device() const { return m_device; }
    /// What it printed since the device path: one line per command line heard.
    QByteArray Log() { return m_process.readAllStandardOutput(); }
    ~SimProcess()
    {
        if (m_process.state() != QProcess::NotRunning)
            Stop();
    }

private:
    QProcess m_process;
    QString m_device;
};

} // namespace quillon::test
