#pragma once
// What the one-click operations use: the command exchange, the exact receive text, the port
// state and the message boxes.

#include "terminal/CommandExchange.h"
#include "terminal/MessageSink.h"
#include "terminal/ReceiveText.h"

#include <functional>

namespace quillon {

struct OperationContext {
    CommandExchange &exchange;
    ReceiveText &received;
    MessageSink &messages;
    std::function<bool()> portIsOpen;

    void SendCommand(const QString &command) { exchange.SendCommand(command); }
    void Delay(int mSec) { exchange.Delay(mSec); }
    /// Case-sensitive search of the exact receive text.
    bool ReceiveContains(const QString &text) const { return received.Text().contains(text); }
    /// Blocks the thread: no events, no polling, no painting while it lasts.
    void Sleep(int mSec) { exchange.Sleep(mSec); }
};

} // namespace quillon
