#pragma once
// The one-click module commands: power on by a DTR pulse, reset, power off, identity, operator,
// signal and registration, current calls, answer, hang up, dial test and DTMF.

#include "serial/SerialComm.h"
#include "terminal/OperationContext.h"

class QLineEdit;

namespace quillon {

class QuickCommands {
public:
    static constexpr int kDtrPulseMs = 50;

    QuickCommands(OperationContext &context, SerialComm &comm, QLineEdit &dtmf, QLineEdit &textNumber);

    /// DTR dropped, the thread blocked 50 ms, DTR raised. Sends nothing, works with the port
    /// closed too (the component holds DTR for the next open).
    void AT_DSR_Click();
    void AT_CFUN_Click();
    void AT_SOMO_Click();
    void TC_ID_Click();
    void Comcops_Click();
    void ComSignal_Click();
    void ComCallID_Click();
    /// `index` is the member of the button group; it is not used.
    void ComDial_Click(int index);
    void Command2_Click();
    void ComHandOff_Click();
    /// Dials the number box (falling back to "10086" when it holds fewer than 2 characters).
    void Command3_Click();

private:
    OperationContext &m_context;
    SerialComm &m_comm;
    QLineEdit &m_dtmf;
    QLineEdit &m_textNumber;
};

/// The SIM button: asks for the PIN state and enters the PIN box's 4 digits when the SIM waits
/// for a PIN. Shows nothing.
class SimPinCheck {
public:
    SimPinCheck(OperationContext &context, QLineEdit &textPin);
    void ComPIN_Click();

private:
    OperationContext &m_context;
    QLineEdit &m_textPin;
};

} // namespace quillon
