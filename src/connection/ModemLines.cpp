#include "connection/ModemLines.h"

namespace quillon {

namespace {
void Show(LineLabel *label, bool asserted, const char *assertedText, const char *otherText)
{
    if (asserted)
        label->SetLook(QString::fromLatin1(assertedText), kLineAsserted);
    else
        label->SetLook(QString::fromLatin1(otherText), kLineNotAsserted);
}
} // namespace

ModemLines::ModemLines(SerialComm &comm, LineLabels labels) : m_comm(comm), m_labels(labels) {}

void ModemLines::ShowLineStates()
{
    Show(m_labels.LabelDTR, m_comm.DTREnable(), "DTR=0 Enable", "DTR=1 Disable");
    Show(m_labels.LabelRTS, m_comm.RTSEnable(), "RTS=0 Enable", "RTS=1 Disable");
    Show(m_labels.LabelDSR, m_comm.DSRHolding(), "DSR=0 True", "DSR=1 False");
    Show(m_labels.LabelCTS, m_comm.CTSHolding(), "CTS=0 True", "CTS=1 False");
    Show(m_labels.LabelCD, m_comm.CDHolding(), "CD=0 ON", "CD=1 OFF");
}

void ModemLines::ShowNeutral(bool leadingBlanks)
{
    const QString pad = leadingBlanks ? QStringLiteral("  ") : QString();
    m_labels.LabelDTR->SetLook(pad + QLatin1String("DTR"), kLineNeutral);
    m_labels.LabelRTS->SetLook(pad + QLatin1String("RTS"), kLineNeutral);
    m_labels.LabelDSR->SetLook(pad + QLatin1String("DSR"), kLineNeutral);
    m_labels.LabelCTS->SetLook(pad + QLatin1String("CTS"), kLineNeutral);
    m_labels.LabelCD->SetLook(pad + QLatin1String("CD"), kLineNeutral);
}

void ModemLines::LabelDTR_Click()
{
    m_comm.SetDTREnable(m_labels.LabelDTR->text() != QLatin1String("DTR=0 Enable"));
    ShowLineStates();
}

void ModemLines::LabelRTS_Click()
{
    m_comm.SetRTSEnable(m_labels.LabelRTS->text() != QLatin1String("RTS=0 Enable"));
    ShowLineStates();
}

} // namespace quillon
