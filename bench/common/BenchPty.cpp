#include "BenchPty.h"

#include "Pattern.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::bench {

namespace {

struct Command {
    char what; // 'R' rate, 'F' flood, 'P' pause, 'A' respond on, 'a' respond off, 'Q' quit
    qint64 value;
    PatternKind kind;
};

qint64 NowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool ReadAll(int fd, void *data, size_t size)
{
    auto *p = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

void WriteAll(int fd, const void *data, size_t size)
{
    const auto *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        size -= size_t(n);
    }
}

// The feeder: runs in the child, no Qt objects, exits on Quit or when the parent goes.
[[noreturn]] void FeederMain(int master, const char *slavePath, int control, int replies)
{
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int slave = ::open(slavePath, O_RDWR | O_NOCTTY);
    (void)slave;

    enum class Mode { Idle, Rate, Flood } mode = Mode::Idle;
    bool respond = false;
    PatternKind kind = PatternKind::Lines;
    quint64 written = 0;     // pattern bytes written since start
    quint64 rateBase = 0;    // `written` when the current rate began
    qint64 rateStartNs = 0;
    qint64 rate = 0;
    static char out[65536];
    static char in[4096];

    for (;;) {
        pollfd fds[2] = {{control, POLLIN, 0}, {master, short(POLLIN | (mode == Mode::Flood ? POLLOUT : 0)), 0}};
        ::poll(fds, 2, mode == Mode::Rate ? 1 : -1);

        if (fds[0].revents & (POLLIN | POLLHUP)) {
            Command c{};
            if (!ReadAll(control, &c, sizeof c) || c.what == 'Q')
                ::_exit(0);
            switch (c.what) {
            case 'R':
                mode = Mode::Rate;
                kind = c.kind;
                rate = c.value;
                rateBase = written;
                rateStartNs = NowNs();
                break;
            case 'F':
                mode = Mode::Flood;
                kind = c.kind;
                break;
            case 'P':
                mode = Mode::Idle;
                WriteAll(replies, &written, sizeof written);
                break;
            case 'A':
                respond = true;
                break;
            case 'a':
                respond = false;
                break;
            }
        }

        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(master, in, sizeof in);
            if (respond) {
                for (ssize_t i = 0; i < n; ++i)
                    if (in[i] == '\r')
                        WriteAll(master, "\r\nOK\r\n", 6);
            }
        }

        qint64 want = 0;
        if (mode == Mode::Flood && (fds[1].revents & POLLOUT))
            want = qint64(sizeof out);
        else if (mode == Mode::Rate)
            want = qMin<qint64>(qint64(sizeof out),
                                qint64(rateBase + quint64((NowNs() - rateStartNs) * rate / 1000000000)) - qint64(written));
        if (want > 0) {
            FillPattern(kind, out, want, written);
            const ssize_t n = ::write(master, out, size_t(want));
            if (n > 0)
                written += quint64(n);
        }
    }
}

} // namespace

bool PtyFeeder::Start(QString *error)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(master));
    const QByteArray slave = m_slavePath.toLocal8Bit();

    int toChild[2];
    int toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_child = ::fork();
    if (m_child < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (m_child == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        FeederMain(master, slave.constData(), toChild[0], toParent[1]);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    ::close(master);
    m_control = toChild[1];
    m_replies = toParent[0];
    return true;
}

PtyFeeder::~PtyFeeder()
{
    if (m_child <= 0)
        return;
    Send('Q', 0);
    ::close(m_control);
    ::close(m_replies);
    ::waitpid(m_child, nullptr, 0);
}

void PtyFeeder::Send(char command, qint64 value, PatternKind kind)
{
    const Command c{command, value, kind};
    WriteAll(m_control, &c, sizeof c);
}

void PtyFeeder::Rate(PatternKind kind, int bytesPerSecond) { Send('R', bytesPerSecond, kind); }

void PtyFeeder::Flood(PatternKind kind) { Send('F', 0, kind); }

quint64 PtyFeeder::Pause()
{
    Send('P', 0);
    quint64 written = 0;
    ReadAll(m_replies, &written, sizeof written);
    return written;
}

void PtyFeeder::Respond(bool on) { Send(on ? 'A' : 'a', 0); }

} // namespace quillon::bench
