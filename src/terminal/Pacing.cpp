#include "terminal/Pacing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace quillon {

void RealPacing::RunEvents(int ms, const std::function<bool()> &done)
{
    if (ms <= 0)
        return;
    const qint64 limitNs = qint64(ms) * 1000000;
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!done()) {
        const qint64 remainingNs = limitNs - clock.nsecsElapsed();
        if (remainingNs <= 0)
            break;
        // A timer may wake a hair early; it is simply armed again for what remains.
        if (!wake.isActive())
            wake.start(int((remainingNs + 999999) / 1000000));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void RealPacing::Block(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace quillon
