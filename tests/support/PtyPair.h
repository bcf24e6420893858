#pragma once
// A pseudo-terminal for driving the QSerialPort backend without hardware: the test holds the
// master side, the port under test opens the slave path. Linux/POSIX only.

#include <QByteArray>
#include <QString>

namespace quillon::test {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool Valid() const { return m_master >= 0; }
    /// Why the pair could not be made (for QSKIP).
    QString Error() const { return m_error; }
    QString SlavePath() const { return m_slavePath; }

    /// Writes every byte towards the slave, waiting while the pty buffer is full.
    void Write(const QByteArray &bytes);
    /// Returns what the slave side has written so far without waiting.
    QByteArray ReadAvailable();
    /// Hangs up the slave side, as an unplugged adapter would.
    void CloseMaster();
    /// The slave's line speed in bits per second (0 if unknown).
    int SlaveSpeed() const;

private:
    int m_master = -1;
    QString m_slavePath;
    QString m_error;
};

/// Speed of the terminal `fd` in bits per second, custom speeds included (Linux termios2).
int TerminalSpeed(int fd);

} // namespace quillon::test
