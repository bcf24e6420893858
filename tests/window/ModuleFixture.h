#pragma once
// A main window cabled to the simulated GSM module, with a tap on the cable that records what
// the module was sent (bytes, speed, time) and how the host moved its DTR and RTS.

#include "WindowFixture.h"

#include "sim/GsmModule.h"
#include "terminal/WindowGate.h"

#include <QList>
#include <QStringList>

namespace quillon::testing {

/// Forwards every SerialPeer call to the module and records the host's side of the traffic.
class CableTap : public SerialPeer {
public:
    struct Chunk {
        qint64 atMs;
        int baud;
        QByteArray bytes;
    };
    struct LineChange {
        qint64 atMs;
        bool dtr;
        bool rts;
    };

    explicit CableTap(SerialPeer &module) : m_module(module) {}

    void HostOpened(int baud, qint64 nowMs) override { m_module.HostOpened(baud, nowMs); }
    void HostClosed(qint64 nowMs) override { m_module.HostClosed(nowMs); }
    void ReceiveFromHost(const QByteArray &bytes, int baud, qint64 nowMs) override
    {
        sent.append(Chunk{nowMs, baud, bytes});
        m_module.ReceiveFromHost(bytes, baud, nowMs);
    }
    QByteArray TakeForHost(int baud, qint64 nowMs) override
    {
        return m_module.TakeForHost(baud, nowMs);
    }
    void HostLines(bool dtr, bool rts, qint64 nowMs) override
    {
        lines.append(LineChange{nowMs, dtr, rts});
        m_module.HostLines(dtr, rts, nowMs);
    }
    PeerLines Lines(qint64 nowMs) override { return m_module.Lines(nowMs); }

    /// Every byte that reached the module's end of the cable, in order.
    QByteArray AllSent() const
    {
        QByteArray all;
        for (const Chunk &c : sent)
            all += c.bytes;
        return all;
    }

    /// The speed each byte of AllSent() travelled at.
    QList<int> BaudPerByte() const
    {
        QList<int> bauds;
        for (const Chunk &c : sent)
            for (qsizetype i = 0; i < c.bytes.size(); ++i)
                bauds.append(c.baud);
        return bauds;
    }

    /// The speed of every line the host sent that starts with `start`, taken at its first byte.
    QList<int> BaudsOfLines(const QByteArray &start) const
    {
        const QByteArray all = AllSent();
        const QList<int> bauds = BaudPerByte();
        QList<int> out;
        qsizetype lineStart = 0;
        while (lineStart < all.size()) {
            qsizetype end = all.indexOf('\n', lineStart);
            if (end < 0)
                end = all.size();
            if (all.mid(lineStart, end - lineStart).startsWith(start))
                out.append(bauds.at(lineStart));
            lineStart = end + 1;
        }
        return out;
    }

    QList<Chunk> sent;
    QList<LineChange> lines;

private:
    SerialPeer &m_module;
};

class ModuleFixture {
public:
    ModuleFixture() = default;

    /// The command lines the module took in (bodies after AT+CMGS included), oldest first.
    QStringList ModuleLines() const
    {
        QStringList out;
        for (const sim::ReceivedLine &l : module.ReceivedCommandLines())
            out << QString::fromLatin1(l.text);
        return out;
    }

    /// The speed each command line reached the module at.
    QList<int> ModuleLineBauds() const
    {
        QList<int> out;
        for (const sim::ReceivedLine &l : module.ReceivedCommandLines())
            out << l.baud;
        return out;
    }

    Quillon &Window() { return *f.window; }
    QString Received() { return f.window->Received().Text(); }
    /// Lets `ms` of virtual time pass: the module answers, the window polls.
    void Pass(int ms) { f.pacing.Pass(ms); }

    /// Runs `act` once, from the event loop, as soon as the run has made `writes` writes, the
    /// module has taken in as many lines and the window is enabled (a pause) or disabled (a
    /// command's wait). `acted` tells whether it has run.
    void ActWhen(size_t writes, bool windowEnabled, std::function<void()> act)
    {
        acted = false;
        f.pacing.SetEachMs([this, writes, windowEnabled, act] {
            if (!acted && f.comm->Writes().size() == writes &&
                size_t(module.ReceivedCommandLines().size()) == writes &&
                f.window->Gate().IsWindowEnabled() == windowEnabled) {
                acted = true;
                act();
            }
        });
    }
    bool acted = false;

    sim::GsmModule module;
    CableTap tap{module};
    WindowFixture f{&tap, QString(), WindowFixture::Time::Virtual};
};

} // namespace quillon::testing
