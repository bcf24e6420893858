#include "serial/QtSerialComm.h"

#include <QMetaObject>
#include <QSerialPort>

#include <climits>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

constexpr int kOpenBaud = 9600;

bool IsLossError(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError
        || error == QSerialPort::WriteError;
}

int OpenErrorNumber(QSerialPort::SerialPortError error, const QString &device)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return CommErrorNumber::PortAbsent;
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
        // QSerialPort reports a lock held by another program, an exclusive open (EBUSY) and a
        // missing access right alike; only the last one leaves us without access to the node.
        return ::access(device.toLocal8Bit().constData(), R_OK | W_OK) == 0
            ? CommErrorNumber::PortBusy
            : CommErrorNumber::PermissionDenied;
#else
        // Windows answers "access denied" for a port another program holds.
        Q_UNUSED(device);
        return CommErrorNumber::PortBusy;
#endif
    default:
        return CommErrorNumber::OpenFailed;
    }
}

} // namespace

QtSerialComm::QtSerialComm(std::function<QString(int port)> deviceForPort, QObject *parent)
    : SerialCommBase(parent), m_deviceForPort(std::move(deviceForPort)),
      m_serial(new QSerialPort(this))
{
    connect(m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { OnPortError(error); });
}

QtSerialComm::~QtSerialComm()
{
    // Closed here, while this object is still whole, rather than by the child's destructor.
    if (m_serial->isOpen())
        m_serial->close();
}

void QtSerialComm::DeviceOpen()
{
    m_deviceName = m_deviceForPort ? m_deviceForPort(CommPort()) : DefaultDeviceName(CommPort());
    m_linesUnavailable = false;
    m_outputLinesUnavailable = false;
    m_lossSuspected = false;

    m_serial->setPortName(m_deviceName);
    // Opened at a speed every device has; the held one follows so that a refusal can be told
    // apart from a failure to open.
    m_serial->setBaudRate(kOpenBaud);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    m_serial->clearError();
    if (!m_serial->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_serial->error();
        const QString reason = m_serial->errorString();
        m_serial->clearError();
        throw CommError(OpenErrorNumber(error, m_deviceName),
                        QStringLiteral("cannot open %1: %2").arg(m_deviceName, reason));
    }
    if (Baud() != kOpenBaud && !m_serial->setBaudRate(Baud())) {
        const QString reason = m_serial->errorString();
        m_serial->close();
        m_serial->clearError();
        throw CommError(CommErrorNumber::InvalidSettings,
                        QStringLiteral("%1 refuses %2 bit/s: %3").arg(m_deviceName).arg(Baud()).arg(reason));
    }
    SetOutputLine(true, DTREnable());
    SetOutputLine(false, RTSEnable());
    m_serial->clearError();
    // A device that vanished during the open is handled by the next call, not here.
}

void QtSerialComm::DeviceClose()
{
    m_lossSuspected = false;
    m_serial->close();
    m_serial->clearError();
}

void QtSerialComm::DeviceSetBaud(int baud)
{
    if (m_serial->setBaudRate(baud))
        return;
    const QString reason = m_serial->errorString();
    // Leave the device at the speed it had, should the refusal have changed anything.
    m_serial->setBaudRate(Baud());
    m_serial->clearError();
    CheckForLoss();
    throw CommError(CommErrorNumber::InvalidSettings,
                    QStringLiteral("%1 refuses %2 bit/s: %3").arg(m_deviceName).arg(baud).arg(reason));
}

void QtSerialComm::SetOutputLine(bool dtr, bool asserted)
{
    if (m_outputLinesUnavailable)
        return;
    const bool done = dtr ? m_serial->setDataTerminalReady(asserted)
                          : m_serial->setRequestToSend(asserted);
    if (!done) {
        m_outputLinesUnavailable = !m_lossSuspected;
        m_serial->clearError();
    }
}

void QtSerialComm::DeviceSetDtr(bool asserted)
{
    SetOutputLine(true, asserted);
    CheckForLoss();
}

void QtSerialComm::DeviceSetRts(bool asserted)
{
    SetOutputLine(false, asserted);
    CheckForLoss();
}

InputLineStates QtSerialComm::DeviceLines()
{
    if (m_linesUnavailable)
        return {};
    m_serial->clearError();
    const QSerialPort::PinoutSignals pins = m_serial->pinoutSignals();
    if (m_serial->error() != QSerialPort::NoError) {
        m_linesUnavailable = !m_lossSuspected;
        m_serial->clearError();
        CheckForLoss();
        return {};
    }
    return {pins.testFlag(QSerialPort::DataSetReadySignal),
            pins.testFlag(QSerialPort::ClearToSendSignal),
            pins.testFlag(QSerialPort::DataCarrierDetectSignal)};
}

void QtSerialComm::FetchWaitingBytes()
{
    // Each successful wait moves one chunk from the system's buffer into QSerialPort's; an empty
    // system buffer ends the loop with a timeout, which is no error here. The fetch stops at what
    // the system held when asked: under a flood, bytes arriving meanwhile would otherwise keep one
    // tick reading for seconds and leave the window unanswering.
    qint64 target = -1;
#if defined(Q_OS_UNIX) && defined(FIONREAD)
    int held = 0;
    if (::ioctl(int(m_serial->handle()), FIONREAD, &held) == 0)
        target = m_serial->bytesAvailable() + held;
#endif
    // At least one wait always runs: it is also how a hung-up device shows itself.
    while (m_serial->waitForReadyRead(0)) {
        if (target >= 0 && m_serial->bytesAvailable() >= target)
            break;
    }
    if (m_serial->error() == QSerialPort::TimeoutError)
        m_serial->clearError();
}

int QtSerialComm::DeviceInBufferCount()
{
    FetchWaitingBytes();
    const qint64 waiting = m_serial->bytesAvailable();
    CheckForLoss();
    return PortOpen() ? int(qMin<qint64>(waiting, INT_MAX)) : 0;
}

QByteArray QtSerialComm::DeviceInput()
{
    FetchWaitingBytes();
    const QByteArray bytes = m_serial->readAll();
    CheckForLoss();
    return bytes;
}

void QtSerialComm::DeviceOutput(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const qint64 queued = m_serial->write(bytes);
    if (queued != bytes.size()) {
        const QString reason = m_serial->errorString();
        m_serial->clearError();
        m_lossSuspected = true;
        CheckForLoss();
        throw CommError(CommErrorNumber::DeviceIoError,
                        QStringLiteral("write to %1 failed: %2").arg(m_deviceName, reason));
    }
}

int QtSerialComm::DeviceOutBufferCount()
{
    if (m_serial->bytesToWrite() > 0) {
        m_serial->waitForBytesWritten(0);
        if (m_serial->error() == QSerialPort::TimeoutError)
            m_serial->clearError();
    }
    qint64 waiting = m_serial->bytesToWrite();
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    int inDriver = 0;
    if (::ioctl(int(m_serial->handle()), TIOCOUTQ, &inDriver) == 0 && inDriver > 0)
        waiting += inDriver;
#endif
    CheckForLoss();
    return PortOpen() ? int(qMin<qint64>(waiting, INT_MAX)) : 0;
}

void QtSerialComm::OnPortError(int error)
{
    if (!PortOpen() || !IsLossError(QSerialPort::SerialPortError(error)))
        return;
    m_lossSuspected = true;
    // The error may come from inside QSerialPort's own processing; closing it there is not safe,
    // so the check runs after the current call or event has finished.
    if (m_lossCheckQueued)
        return;
    m_lossCheckQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lossCheckQueued = false;
            CheckForLoss();
        },
        Qt::QueuedConnection);
}

void QtSerialComm::CheckForLoss()
{
    if (!m_lossSuspected)
        return;
    m_lossSuspected = false;
    if (!PortOpen())
        return;
    if (DeviceGone())
        DeviceLost();
    else
        m_serial->clearError();
}

bool QtSerialComm::DeviceGone() const
{
#ifdef Q_OS_UNIX
    // A removed or hung-up terminal fails every terminal request; a passing read or write error
    // (a spurious wake-up, a full buffer) does not.
    termios attributes;
    return ::tcgetattr(int(m_serial->handle()), &attributes) != 0;
#else
    return true;
#endif
}

} // namespace quillon
