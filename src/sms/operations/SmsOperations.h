#pragma once
// The short-message buttons: send (UCS-2 PDU or text mode), read and decode, delete.

#include "terminal/OperationContext.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace quillon {

class SmsOperations {
public:
    static constexpr int kStepPauseMs = 100;

    SmsOperations(OperationContext &context, QLineEdit &textNumber, QPlainTextEdit &message,
                  QCheckBox &englishMode, QLineEdit &index);

    /// Sends the message area's text to the number box's number. Input the message cannot carry
    /// is refused with a message box before anything is sent.
    void Command1_Click();
    /// Reads the message at the index box's index and shows its sender, time and text.
    void cmgr_Click();
    /// Deletes the message at the index box's index.
    void AT_CMGD_Click();

    /// The message area's text with its line breaks as CR LF, as a multi-line text box holds it.
    QString MessageText() const;

private:
    OperationContext &m_context;
    QLineEdit &m_textNumber;
    QPlainTextEdit &m_message;
    QCheckBox &m_englishMode;
    QLineEdit &m_index;
};

} // namespace quillon
