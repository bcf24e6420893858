#pragma once
// Where operations report to the user. The window shows message boxes with the application's
// title; tests record the texts.

#include <QString>
#include <QStringList>

namespace quillon {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    /// A message box without icon (the open failure).
    virtual void Plain(const QString &text) = 0;
    /// A message box with the information icon (diagnoses and results).
    virtual void Information(const QString &text) = 0;
};

} // namespace quillon
