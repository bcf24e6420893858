#include "connection/PortConnection.h"

#include "connection/ModemLines.h"
#include "terminal/CommandExchange.h"
#include "terminal/MessageSink.h"
#include "terminal/Widgets.h"

#include <QComboBox>
#include <QPushButton>

namespace quillon {

namespace {
const QString kClosedPrompt = QStringLiteral("请先打开端口!");
} // namespace

QString SpeedTextOf(const QString &entry)
{
    qsizetype n = 0;
    while (n < entry.size() && entry.at(n).isDigit() && entry.at(n).unicode() < 128)
        ++n;
    bool ok = false;
    const qlonglong speed = entry.left(n).toLongLong(&ok);
    return ok ? QString::number(speed) : QString();
}

QString SettingsStringOf(const QString &entry)
{
    return SpeedTextOf(entry) + QLatin1String(",N,8,1");
}

PortConnection::PortConnection(SerialComm &comm, PortControls controls, ModemLines &lines,
                               CommandExchange &exchange, MessageSink &messages, QObject *parent)
    : QObject(parent), m_comm(comm), m_controls(controls), m_lines(lines), m_exchange(exchange),
      m_messages(messages)
{
    m_timerRead.setTimerType(Qt::PreciseTimer);
    connect(&m_comm, &SerialComm::OnComm, this, &PortConnection::MSComm_OnComm);
}

void PortConnection::ComStartStop_Click()
{
    if (m_portIsOpen)
        Close();
    else
        Open();
}

void PortConnection::Open()
{
    const QString speedEntry = m_controls.ComboSpeed->currentText();
    // A refused speed leaves the port to open with its earlier settings.
    Attempt([&] { m_comm.SetSettings(SettingsStringOf(speedEntry)); });
    const QString settings = SettingsStringOf(speedEntry);
    Attempt([&] { m_comm.SetCommPort(m_controls.ComboPort->currentIndex() + 1); });
    try {
        m_comm.SetPortOpen(true);
    } catch (const CommError &error) {
        m_messages.Plain(QStringLiteral("串口不能被打开:") + m_controls.ComboPort->currentText() +
                         QLatin1Char(' ') + settings + QLatin1String("\r\n") +
                         StandardErrorText(error.number()) +
                         (m_openFailureDetail ? m_openFailureDetail(error.number()) : QString()));
        Attempt([&] {
            if (m_comm.PortOpen())
                m_comm.SetPortOpen(false);
        });
        return;
    }

    Attempt([this] { m_comm.SetInputLen(0); });
    Attempt([this] { m_comm.SetInputMode(1); });
    Attempt([this] { m_comm.SetHandshaking(0); });
    Attempt([this] { m_comm.SetRThreshold(0); });
    Attempt([this] { m_comm.SetSThreshold(0); });
    Attempt([this] { m_comm.SetRTSEnable(true); });

    m_timerRead.setInterval(kPollIntervalMs);
    m_timerRead.start();
    Attempt([this] { m_lines.ShowLineStates(); });
    m_exchange.ResetSendCounters();
    m_portIsOpen = true;
    m_writeFailureShown = false;
    m_controls.ComStartStop->setText(QStringLiteral("关 闭 端 口"));
    m_controls.ComboPort->setEnabled(false);
    m_controls.ComboSpeed->setEnabled(true);
    m_controls.TextOut->setEnabled(true);
    m_controls.TextOut->SetText(QString());
    m_controls.TextOut->setFocus();
    m_controls.Window->setWindowTitle(QStringLiteral("Korvel电子-连接 ") +
                                      m_controls.ComboPort->currentText() +
                                      QStringLiteral(" 状态") + SpeedTextOf(speedEntry));
}

void PortConnection::Close()
{
    m_timerRead.stop();
    Attempt([this] { m_comm.SetPortOpen(false); });
    m_portIsOpen = false;
    m_controls.ComStartStop->setText(QStringLiteral("打 开 端 口"));
    m_controls.ComboPort->setEnabled(true);
    m_controls.ComboSpeed->setEnabled(true);
    m_controls.TextOut->setEnabled(false);
    m_controls.TextOut->SetText(kClosedPrompt);
    m_lines.ShowNeutral(false);
    m_controls.Window->setWindowTitle(QStringLiteral("Korvel电子设备测试程序 "));
}

void PortConnection::ComboSpeed_Click()
{
    const QString entry = m_controls.ComboSpeed->currentText();
    if (!Attempt([&] { m_comm.SetSettings(SettingsStringOf(entry)); }) || !m_portIsOpen)
        return;
    m_controls.Window->setWindowTitle(QStringLiteral("Korvel电子测试中连接 ") +
                                      m_controls.ComboPort->currentText() +
                                      QStringLiteral(" 状态") + SettingsStringOf(entry) +
                                      QStringLiteral(" ......"));
}

void PortConnection::SelectSpeed(int index)
{
    m_controls.ComboSpeed->setCurrentIndex(index);
    ComboSpeed_Click();
}

int PortConnection::SpeedEntryCount() const { return m_controls.ComboSpeed->count(); }

bool PortConnection::SetPortSpeedOnly(int index)
{
    const QString entry = m_controls.ComboSpeed->itemText(index);
    return Attempt([&] { m_comm.SetSettings(SettingsStringOf(entry)); });
}

void PortConnection::MSComm_OnComm()
{
    if (m_comm.CommEvent() == CommEventCode::DeviceLost && m_portIsOpen) {
        Close();
        m_exchange.AbandonSend();
    }
}

void PortConnection::ReportWriteFailure(const CommError &error)
{
    if (m_writeFailureShown)
        return;
    m_writeFailureShown = true;
    m_messages.Plain(QStringLiteral("串口写入失败:") + m_controls.ComboPort->currentText() +
                     QLatin1String("\r\n") + StandardErrorText(error.number()));
}

} // namespace quillon
