#pragma once
// Opening, closing and changing the speed of the port, and everything that follows the open or
// closed state: the flag the command handlers test, the button caption, the window title, the
// command area, the two lists, the line labels and the 5 ms polling timer.

#include "serial/SerialComm.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QComboBox;
class QPushButton;
class QWidget;

namespace quillon {

class CommandArea;
class CommandExchange;
class MessageSink;
class ModemLines;

struct PortControls {
    QWidget *Window = nullptr; ///< carries the title
    QComboBox *ComboPort = nullptr;
    QComboBox *ComboSpeed = nullptr;
    QPushButton *ComStartStop = nullptr;
    CommandArea *TextOut = nullptr;
};

/// "115200bps" → "115200": the leading decimal digits of a speed entry.
QString SpeedTextOf(const QString &entry);
/// "115200bps" → "115200,N,8,1".
QString SettingsStringOf(const QString &entry);

class PortConnection : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 5;

    PortConnection(SerialComm &comm, PortControls controls, ModemLines &lines,
                   CommandExchange &exchange, MessageSink &messages, QObject *parent = nullptr);

    bool PortIsOpen() const { return m_portIsOpen; }
    /// Start-up and shutdown set the flag directly.
    void SetPortIsOpen(bool open) { m_portIsOpen = open; }

    /// Opens when closed, closes when open. An open failure shows its message and changes
    /// nothing else.
    void ComStartStop_Click();
    /// Applies the selected speed; while open also sets the speed-change title. A refused speed
    /// changes nothing.
    void ComboSpeed_Click();
    /// Selects a speed entry and always runs the speed-change handler, even when the entry is
    /// already selected (the list widget itself would stay silent then).
    void SelectSpeed(int index);
    /// Number of entries of the speed list.
    int SpeedEntryCount() const;
    /// Sets the port to the speed of list entry `index` without selecting it: the list and the
    /// title stay. A position outside the list has no speed; the port refuses it and keeps the
    /// speed in force. Returns whether the port took the speed.
    bool SetPortSpeedOnly(int index);

    /// The component's event: only a vanished device matters; the window then runs its close
    /// steps so it never shows a port that is gone.
    void MSComm_OnComm();

    /// Lines added below the standard text of an open failure with the given error number
    /// (which devices exist, who holds a busy one); none when unset or empty.
    void SetOpenFailureDetail(std::function<QString(int number)> detail) { m_openFailureDetail = std::move(detail); }

    /// A write to the port failed: tell the user once per opening.
    void ReportWriteFailure(const CommError &error);

    QTimer &TimerRead() { return m_timerRead; }

private:
    void Open();
    void Close();

    SerialComm &m_comm;
    PortControls m_controls;
    ModemLines &m_lines;
    CommandExchange &m_exchange;
    MessageSink &m_messages;
    QTimer m_timerRead;
    bool m_portIsOpen = false;
    bool m_writeFailureShown = false;
    std::function<QString(int)> m_openFailureDetail;
};

} // namespace quillon
