#pragma once
// A pseudo-terminal whose master side is driven by a feeder child process, so that the process
// under measurement only does its own work. The slave path is what the port opens.
//
// The feeder writes the pattern stream (Pattern.h), continuing where it left off: at a fixed
// rate, or as fast as the reader takes it (flood). It always drains what the port writes and, in
// respond mode, answers every CR with "\r\nOK\r\n". It holds the slave side open itself so the
// line never hangs up between opens.

#include "Pattern.h"

#include <QString>

#include <sys/types.h>

namespace quillon::bench {

class PtyFeeder {
public:
    PtyFeeder() = default;
    ~PtyFeeder();
    PtyFeeder(const PtyFeeder &) = delete;
    PtyFeeder &operator=(const PtyFeeder &) = delete;

    /// Creates the pseudo-terminal and forks the feeder. Call before any Qt application object
    /// (or any other thread) exists. Returns false with `error` set on failure.
    bool Start(QString *error);
    QString SlavePath() const { return m_slavePath; }

    /// Feeds `kind` bytes at `bytesPerSecond`, in slices of one millisecond.
    void Rate(PatternKind kind, int bytesPerSecond);
    /// Feeds `kind` bytes as fast as the pseudo-terminal takes them.
    void Flood(PatternKind kind);
    /// Stops feeding; returns how many pattern bytes have been written since Start.
    quint64 Pause();
    /// Answers each CR the port writes with "\r\nOK\r\n" (not pattern bytes).
    void Respond(bool on);

private:
    void Send(char command, qint64 value, PatternKind kind = PatternKind::Lines);

    QString m_slavePath;
    int m_control = -1; // commands to the feeder
    int m_replies = -1; // counts from the feeder
    pid_t m_child = -1;
};

} // namespace quillon::bench
