#pragma once
// The component the program uses: at each open it asks where the port number leads and opens
// either the real device (QtSerialComm) or the simulated module (SimSerialComm). Both backends
// receive every held value (port, settings, DTR, RTS, open-time values) whether open or not, so
// whichever one the next open picks starts from the same values.

#include "serial/PortMap.h"
#include "serial/SerialComm.h"

#include <functional>

namespace quillon {

class QtSerialComm;
class SerialPeer;
class SimSerialComm;

class RoutedSerialComm : public SerialComm {
    Q_OBJECT
public:
    /// `resolve` is asked at every open; `simulator` is the far end of simulated ports (may be
    /// null) and must outlive this object.
    RoutedSerialComm(std::function<PortTarget(int port)> resolve, SerialPeer *simulator,
                     QObject *parent = nullptr);
    ~RoutedSerialComm() override;

    /// Where the latest open (or open attempt) led.
    PortTarget Target() const { return m_target; }
    /// The backends, e.g. to give the simulated one a test clock.
    SimSerialComm &Simulated() { return *m_sim; }
    QtSerialComm &Device() { return *m_device; }

    void SetCommPort(int port) override;
    int CommPort() const override;
    void SetSettings(const QString &settings) override;
    QString Settings() const override;
    void SetPortOpen(bool open) override;
    bool PortOpen() const override;
    void SetInputLen(int value) override;
    void SetInputMode(int value) override;
    void SetHandshaking(int value) override;
    void SetRThreshold(int value) override;
    void SetSThreshold(int value) override;
    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray &bytes) override;
    int OutBufferCount() override;
    void SetDTREnable(bool enable) override;
    bool DTREnable() const override;
    void SetRTSEnable(bool enable) override;
    bool RTSEnable() const override;
    bool DSRHolding() override;
    bool CTSHolding() override;
    bool CDHolding() override;
    /// The event code of the backend of the latest open; OnComm is forwarded from that one only.
    int CommEvent() const override;

private:
    /// The backend of the latest open; the simulated one before any open.
    SerialComm &Current() const;
    /// The other backend.
    SerialComm &Idle() const;
    /// Applies a setter to the current backend first (it may refuse), then to the idle one.
    template <typename Apply>
    void ApplyToBoth(Apply apply);

    std::function<PortTarget(int)> m_resolve;
    PortTarget m_target;
    QtSerialComm *m_device = nullptr;
    SimSerialComm *m_sim = nullptr;
    SerialComm *m_current = nullptr;
};

} // namespace quillon
