#pragma once
// A message sink that keeps every text instead of showing a box.

#include "terminal/MessageSink.h"

#include <QStringList>

namespace quillon {

/// Records every message; for tests and headless runs.
class RecordingMessageSink : public MessageSink {
public:
    void Plain(const QString &text) override { messages << text; plain << text; }
    void Information(const QString &text) override { messages << text; information << text; }
    QStringList messages;
    QStringList plain;
    QStringList information;
};

} // namespace quillon
