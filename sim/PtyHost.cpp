#include "PtyHost.h"

#include "PtySpeed.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace quillon::sim {

namespace {

speed_t SpeedConstant(int baud)
{
    switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 230400: return B230400;
    default: return B115200;
    }
}

} // namespace

PtyHost::PtyHost(GsmModule &module, QObject *parent) : QObject(parent), m_module(module)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &PtyHost::Poll);
}

PtyHost::~PtyHost()
{
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyHost::Open(int initialBaud, QString *error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(strerror(errno));
        return false;
    }
    const char *name = ptsname(m_master);
    if (!name) {
        *error = QStringLiteral("no slave name: %1").arg(strerror(errno));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Open the slave once: raw mode and a speed for programs that set none, and the master
    // then reports a hang-up until a program opens the slave.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_slavePath, strerror(errno));
        return false;
    }
    termios t = {};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, SpeedConstant(initialBaud));
    tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
    m_clock.start();
    return true;
}

void PtyHost::Start()
{
    m_module.HostClosed(NowMs()); // until a program opens the slave
    m_timer.start();
}

void PtyHost::Poll()
{
    const qint64 now = NowMs();
    pollfd p{m_master, POLLIN, 0};
    ::poll(&p, 1, 0);
    const int baud = ReadTtySpeed(m_master);

    // A program that opened the slave is heard from the first byte; one that closed it may
    // still have left bytes to read.
    const bool open = !(p.revents & POLLHUP);
    if (open && !m_hostOpen) {
        m_hostOpen = true;
        m_unwritten.clear();
        m_module.HostOpened(baud, now);
    }
    if (p.revents & POLLIN) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_module.ReceiveFromHost(QByteArray(buffer, int(n)), baud, now);
        }
    }
    if (!open && m_hostOpen) {
        m_hostOpen = false;
        m_module.HostClosed(now);
    }

    m_unwritten += m_module.TakeForHost(baud, now);
    if (!m_hostOpen) {
        m_unwritten.clear();
        return;
    }
    while (!m_unwritten.isEmpty()) {
        const ssize_t n = ::write(m_master, m_unwritten.constData(), size_t(m_unwritten.size()));
        if (n <= 0)
            break; // the slave's input queue is full: try again at the next poll
        m_unwritten.remove(0, n);
    }
    // A host that never reads cannot make the module's output pile up here without bound.
    if (m_unwritten.size() > GsmModule::kOutputLimit)
        m_unwritten = m_unwritten.right(GsmModule::kOutputLimit);
}

} // namespace quillon::sim
