#include "sms/operations/SmsOperations.h"

#include "sms/SmsPdu.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace quillon {

namespace {
const QChar kEscape(0x1B);
} // namespace

SmsOperations::SmsOperations(OperationContext &context, QLineEdit &textNumber,
                             QPlainTextEdit &message, QCheckBox &englishMode, QLineEdit &index)
    : m_context(context), m_textNumber(textNumber), m_message(message), m_englishMode(englishMode),
      m_index(index)
{
}

QString SmsOperations::MessageText() const
{
    // Code unit for code unit as the box holds it (a no-break space or a line separator stays
    // what it is); only the box's own line breaks, its paragraph ends, become CR LF.
    QString text = m_message.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

void SmsOperations::Command1_Click()
{
    const QString number = m_textNumber.text();
    const QString message = MessageText();
    const bool textMode = m_englishMode.isChecked();

    if (!textMode) {
        if (const auto refused = CheckPduModeInput(number, message)) {
            m_context.messages.Information(*refused);
            return;
        }
        const SubmitPdu pdu = BuildSubmitPdu(number, message);
        m_context.SendCommand(QStringLiteral("AT+CMGF=0"));
        m_context.SendCommand(QStringLiteral("AT+CMGS=") + QString::number(pdu.tpduLength));
        m_context.Delay(kStepPauseMs);
        m_context.SendCommand(pdu.pdu + kCtrlZ);
    } else {
        if (const auto refused = CheckTextModeInput(number, message)) {
            m_context.messages.Information(*refused);
            return;
        }
        m_context.SendCommand(QStringLiteral("AT+CMGF=1"));
        m_context.SendCommand(QStringLiteral("AT+CMGS=\"") + number + QLatin1Char('"'));
        m_context.Delay(kStepPauseMs);
        // The text is read again here; an edit made during the pause must still be sendable,
        // otherwise the module's prompt is cancelled rather than fed a broken body.
        const QString body = MessageText();
        if (const auto refused = CheckTextModeInput(number, body)) {
            m_context.SendCommand(QString(kEscape));
            m_context.messages.Information(*refused);
        } else {
            m_context.SendCommand(body + kCtrlZ);
        }
    }
    m_context.Delay(kStepPauseMs);
}

void SmsOperations::cmgr_Click()
{
    m_context.SendCommand(m_englishMode.isChecked() ? QStringLiteral("AT+CMGF=1")
                                                    : QStringLiteral("AT+CMGF=0"));
    m_context.SendCommand(QStringLiteral("AT+CMGR=") + m_index.text());
    m_context.Delay(kStepPauseMs);
    if (m_context.ReceiveContains(QStringLiteral("READ"))) {
        m_context.Delay(kStepPauseMs);
        m_context.messages.Information(ResultMessage(DecodeTextReply(m_context.received.Text())));
        return;
    }
    m_context.Delay(kStepPauseMs);
    const PduDecodeResult decoded = DecodePduReply(m_context.received.Text());
    switch (decoded.status) {
    case PduDecodeStatus::NotFound:
        break;
    case PduDecodeStatus::CodingError:
        m_context.messages.Information(kPduCodingErrorText);
        break;
    case PduDecodeStatus::Ok:
        m_context.messages.Information(ResultMessage(decoded.result));
        break;
    }
}

void SmsOperations::AT_CMGD_Click()
{
    m_context.SendCommand(QStringLiteral("AT+CMGD=") + m_index.text());
}

} // namespace quillon
