#pragma once
// Puts a GsmModule on the master side of a pseudo-terminal, so that any program (the tool with
// its real serial backend, a terminal program) can open the slave side as if it were a serial
// device. The module hears bytes at the speed the program set on the slave.
//
// Pseudo-terminals carry no modem lines: DTR never reaches the module, so SIGUSR1 stands in for
// the power-on pulse. The host counts as closed from the moment its last descriptor on the slave
// is closed (the master then reports a hang-up) until the slave is opened again.

#include "sim/GsmModule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

namespace quillon::sim {

class PtyHost : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollMs = 2;

    explicit PtyHost(GsmModule &module, QObject *parent = nullptr);
    ~PtyHost() override;

    /// Creates the pseudo-terminal and leaves its slave in raw mode at `initialBaud`.
    /// Returns false and sets `*error` when the system refuses.
    bool Open(int initialBaud, QString *error);
    /// Path of the slave side, e.g. /dev/pts/3; empty before Open.
    QString SlavePath() const { return m_slavePath; }
    /// Milliseconds since Open; the model's time.
    qint64 NowMs() const { return m_clock.elapsed(); }
    /// Starts polling the master side.
    void Start();

private:
    void Poll();

    GsmModule &m_module;
    int m_master = -1;
    QString m_slavePath;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_hostOpen = false;
    QByteArray m_unwritten;
};

} // namespace quillon::sim
