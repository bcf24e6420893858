#pragma once
// Drives a GsmModule the way a host on a serial line would: bytes go out at the bench's speed
// and take their transmission time, then the bench lets time pass and collects the reply.

#include "sim/GsmModule.h"

#include <QByteArray>

namespace quillon::sim::test {

class ModuleBench {
public:
    GsmModule module;
    int baud = GsmModule::kDefaultBaud;
    qint64 nowMs = 1000;

    /// Sends `bytes` (finished after their transmission time), waits `settleMs` and returns
    /// everything the module sent meanwhile, as a receiver at `baud` sees it.
    QByteArray Exchange(const QByteArray &bytes, qint64 settleMs = 1000)
    {
        Send(bytes);
        return Wait(settleMs);
    }
    void Send(const QByteArray &bytes)
    {
        nowMs += (bytes.size() * 10000 + baud - 1) / baud;
        module.ReceiveFromHost(bytes, baud, nowMs);
    }
    QByteArray Wait(qint64 ms)
    {
        nowMs += ms;
        return module.TakeForHost(baud, nowMs);
    }
    /// Echo off and the reply to ATE0 consumed, so rows can show replies alone.
    void Quiet()
    {
        module.SetEcho(false);
        Wait(10);
    }
};

} // namespace quillon::sim::test
