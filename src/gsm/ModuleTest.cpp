#include "gsm/ModuleTest.h"

#include "connection/PortConnection.h"
#include "serial/Speeds.h"

namespace quillon {

namespace {
const QString kImeiCommand = QStringLiteral("ATD*#06#");
} // namespace

ModuleTest::ModuleTest(OperationContext &context, PortConnection &connection)
    : m_context(context), m_connection(connection)
{
}

QString ModuleTest::ImeiTextFrom(const QString &receiveText)
{
    const qsizetype p = receiveText.indexOf(kImeiCommand);
    if (p < 0)
        return QString();
    qsizetype start = p + kImeiCommand.size();
    while (start < receiveText.size() &&
           (receiveText.at(start) == QLatin1Char('\r') || receiveText.at(start) == QLatin1Char('\n')))
        ++start;
    return QStringLiteral("IMEI: ") + receiveText.mid(start, kImeiLength);
}

bool ModuleTest::SearchSpeed()
{
    m_connection.SelectSpeed(kModuleTestSpeedIndex);
    qint16 speedIndex = kModuleTestSpeedIndex;

    const int attempts = m_connection.SpeedEntryCount();
    int attempt = 1;
    for (; attempt <= attempts; ++attempt) {
        m_context.SendCommand(QStringLiteral("AT&F"));
        m_context.Delay(200);
        if (m_context.ReceiveContains(QStringLiteral("OK")))
            break;
        --speedIndex;
        // Below the first entry there is no speed: the port refuses it and the speed in force
        // stays for the remaining attempts.
        m_connection.SetPortSpeedOnly(speedIndex);
    }

    m_connection.SelectSpeed(kModuleTestSpeedIndex);
    if (attempt == m_connection.SpeedEntryCount() + 1) {
        m_context.messages.Information(QStringLiteral("设备没有反应,检查是否开机"));
        return false;
    }
    return true;
}

void ModuleTest::ComVersion_Click()
{
    if (!m_context.portIsOpen())
        return;
    if (!SearchSpeed())
        return;

    m_context.SendCommand(QStringLiteral("AT^SBC=0^SBC?"));
    m_context.SendCommand(QStringLiteral("AT^SNFD"));
    m_context.SendCommand(QStringLiteral("AT&D0X4^SNFS=4^SSYNC=1+CRC=0+CLIP=0+IPR=0"));
    m_context.Delay(50);
    m_context.SendCommand(QStringLiteral("AT+CCLK?"));
    m_context.Delay(10);

    m_context.SendCommand(QStringLiteral("AT+CPIN?"));
    m_context.Delay(100);
    if (m_context.ReceiveContains(QStringLiteral("+CPIN: READY"))) {
        m_context.Delay(1);
    } else {
        if (m_context.ReceiveContains(QStringLiteral("ERROR")))
            m_context.messages.Information(QStringLiteral("SIM卡读卡出错，请检查SIM卡"));
        else
            m_context.messages.Information(QStringLiteral("模块没有及时回复，请重新测试下"));
        return;
    }

    m_context.SendCommand(QStringLiteral("AT+CREG?"));
    const QString registering =
        QStringLiteral("正在注册网络，请查检天线连接及SIM是否停机或等5S后再重新初始化");
    if (m_context.ReceiveContains(QStringLiteral("+CREG: 0,2"))) {
        m_context.messages.Information(registering);
        return;
    }
    if (m_context.ReceiveContains(QStringLiteral("+CREG: 0,3"))) {
        m_context.messages.Information(QStringLiteral("SIM卡已停机或没有信号"));
        return;
    }
    if (m_context.ReceiveContains(QStringLiteral("+CREG: 0,0"))) {
        m_context.messages.Information(registering);
        return;
    }

    m_context.SendCommand(QStringLiteral("AT+CNMI=2,1"));
    m_context.SendCommand(kImeiCommand);
    const QString imeiText = ImeiTextFrom(m_context.received.Text());
    if (imeiText.isEmpty()) {
        m_context.messages.Information(QStringLiteral("读取IMEI号出错"));
        return;
    }

    m_context.SendCommand(QStringLiteral("AT+CMGF=0"));
    m_context.Sleep(50);
    m_context.SendCommand(QStringLiteral("AT&W"));
    m_context.Sleep(50);
    m_context.SendCommand(QStringLiteral("ATI"));

    m_context.received.SetText(m_context.received.Text() + imeiText);
    m_context.received.SetText(m_context.received.Text() + QStringLiteral("\n\r测试通过"));
}

} // namespace quillon
