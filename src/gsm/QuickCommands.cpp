#include "gsm/QuickCommands.h"

#include <QLineEdit>

namespace quillon {

QuickCommands::QuickCommands(OperationContext &context, SerialComm &comm, QLineEdit &dtmf,
                             QLineEdit &textNumber)
    : m_context(context), m_comm(comm), m_dtmf(dtmf), m_textNumber(textNumber)
{
}

void QuickCommands::AT_DSR_Click()
{
    m_comm.SetDTREnable(false);
    m_context.Sleep(kDtrPulseMs);
    m_comm.SetDTREnable(true);
}

void QuickCommands::AT_CFUN_Click() { m_context.SendCommand(QStringLiteral("AT+CFUN=1,1")); }
void QuickCommands::AT_SOMO_Click() { m_context.SendCommand(QStringLiteral("AT^SMSO")); }
void QuickCommands::TC_ID_Click() { m_context.SendCommand(QStringLiteral("AT+CIMI")); }

void QuickCommands::Comcops_Click()
{
    if (!m_context.portIsOpen())
        return;
    m_context.SendCommand(QStringLiteral("AT+COPS?"));
}

void QuickCommands::ComSignal_Click()
{
    if (!m_context.portIsOpen())
        return;
    m_context.SendCommand(QStringLiteral("AT+CSQ+CREG?"));
}

void QuickCommands::ComCallID_Click() { m_context.SendCommand(QStringLiteral("AT+CLCC")); }

void QuickCommands::ComDial_Click(int /*index*/)
{
    m_context.SendCommand(QStringLiteral("AT+VTS=") + m_dtmf.text());
}

void QuickCommands::Command2_Click() { m_context.SendCommand(QStringLiteral("ATA")); }
void QuickCommands::ComHandOff_Click() { m_context.SendCommand(QStringLiteral("ATH")); }

void QuickCommands::Command3_Click()
{
    if (m_textNumber.text().size() < 2)
        m_textNumber.setText(QStringLiteral("10086"));
    m_context.SendCommand(QStringLiteral("ATD") + m_textNumber.text() + QLatin1Char(';'));
}

SimPinCheck::SimPinCheck(OperationContext &context, QLineEdit &textPin)
    : m_context(context), m_textPin(textPin)
{
}

void SimPinCheck::ComPIN_Click()
{
    if (!m_context.portIsOpen())
        return;
    m_context.SendCommand(QStringLiteral("AT+CPIN?"));
    if (m_context.ReceiveContains(QStringLiteral("SIM PIN")) && m_textPin.text().size() == 4)
        m_context.SendCommand(QStringLiteral("AT+CPIN=") + m_textPin.text());
}

} // namespace quillon
