#pragma once
// The main window: builds every control where the layout puts it and wires each one to the
// behaviour class of its folder. It holds no protocol logic of its own.

#include "serial/SerialComm.h"
#include "terminal/MessageSink.h"
#include "terminal/ReceiveText.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class CommandArea;
class CommandExchange;
class Lamp;
class LineLabel;
class ModemLines;
class ModuleTest;
class PortConnection;
class QuickCommands;
class ReceiveArea;
class ReceiveMonitor;
class SimPinCheck;
class SmsOperations;
class WindowGate;
class WindowLog;
class WindowRecords;
struct OperationContext;

/// The outside engine control of the original window, touched only at start-up. It does
/// nothing on this platform.
class BseEngine {
public:
    void SetProperty(quint32 /*dispatchId*/, qint32 /*value*/) {}
    void Invoke(quint32 /*dispatchId*/) {}
};

class Quillon : public QWidget {
    Q_OBJECT
public:
    /// `comm` is the serial component for the whole run; `messages` shows the message boxes.
    Quillon(SerialComm &comm, MessageSink &messages, QWidget *parent = nullptr);
    ~Quillon() override;

    /// Start-up: stored port and speed, line labels, prompt, title. Runs before the first show.
    void Form_Load();
    /// Shutdown: closes the port and writes the settings. Runs once, when the window closes.
    void Form_Unload();

    /// Opens the About dialog (set by the program; a placeholder until then).
    void SetShowAbout(std::function<void()> showAbout) { m_showAbout = std::move(showAbout); }

    // Controls, named as in the layout.
    QComboBox *ComboPort = nullptr;
    QComboBox *ComboSpeed = nullptr;
    QPushButton *ComStartStop = nullptr;
    QPushButton *ComVersion = nullptr;
    QLineEdit *TextPIN = nullptr;
    QPushButton *ComPIN = nullptr;
    QPushButton *ComSignal = nullptr;
    QPushButton *Comcops = nullptr;
    QPushButton *Command3 = nullptr;
    QLineEdit *TextNumber = nullptr;
    QPushButton *ComCallID = nullptr;
    QPushButton *ComHandOff = nullptr;
    QPushButton *ComDial = nullptr;
    QLineEdit *dtmf = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *TC_ID = nullptr;
    QPushButton *AT_SOMO = nullptr;
    QPushButton *AT_DSR = nullptr;
    QPushButton *AT_CFUN = nullptr;
    QCheckBox *Check1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *cmgr = nullptr;
    QPushButton *AT_CMGD = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *at_cmgr = nullptr;
    LineLabel *LabelDTR = nullptr;
    LineLabel *LabelRTS = nullptr;
    QLabel *Label3 = nullptr;
    Lamp *TextSend = nullptr;
    QLabel *Label4 = nullptr;
    Lamp *TextReceive = nullptr;
    LineLabel *LabelDSR = nullptr;
    LineLabel *LabelCTS = nullptr;
    LineLabel *LabelCD = nullptr;
    QCheckBox *CheckDisplay = nullptr;
    QLabel *AT_OID = nullptr;
    QLabel *Label1 = nullptr;
    CommandArea *TextOut = nullptr;
    QLabel *Label2 = nullptr;
    QPlainTextEdit *SEND = nullptr;
    QLabel *Label5 = nullptr;
    ReceiveArea *RTextBuf = nullptr;

    SerialComm &MSComm;
    BseEngine BSE1;

    // Behaviour, for tests and the program.
    ReceiveText &Received() { return m_received; }
    CommandExchange &Exchange() { return *m_exchange; }
    PortConnection &Connection() { return *m_connection; }
    ModemLines &Lines() { return *m_lines; }
    ReceiveMonitor &Monitor() { return *m_monitor; }
    QuickCommands &Quick() { return *m_quick; }
    SimPinCheck &SimPin() { return *m_simPin; }
    ModuleTest &Test() { return *m_moduleTest; }
    SmsOperations &Sms() { return *m_sms; }
    WindowGate &Gate() { return *m_gate; }
    WindowLog &Logging() { return *m_log; }
    bool PortIsOpen() const;

    /// The device the selected port entry leads to, for the port list's tool tip.
    void SetDescribePort(std::function<QString(int port)> describe) { m_describePort = std::move(describe); }

Q_SIGNALS:
    /// Shutdown has begun: operations still running out must not show anything any more.
    void Closing();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void SetTabOrder();
    void Wire();

    MessageSink &m_messages;
    ReceiveText m_received;
    WindowGate *m_gate = nullptr;
    std::unique_ptr<CommandExchange> m_exchange;
    std::unique_ptr<ModemLines> m_lines;
    std::unique_ptr<PortConnection> m_connection;
    std::unique_ptr<ReceiveMonitor> m_monitor;
    std::unique_ptr<OperationContext> m_context;
    std::unique_ptr<QuickCommands> m_quick;
    std::unique_ptr<SimPinCheck> m_simPin;
    std::unique_ptr<ModuleTest> m_moduleTest;
    std::unique_ptr<SmsOperations> m_sms;
    std::unique_ptr<WindowLog> m_log;
    std::unique_ptr<WindowRecords> m_records;
    std::function<void()> m_showAbout = [] {};
    std::function<QString(int)> m_describePort;
    bool m_unloaded = false;
};

} // namespace quillon
