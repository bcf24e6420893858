// Quillon: a bench tool for bringing up and checking a GSM modem module on a serial port.

#include "about/frmAbout.h"
#include "app/MessageBoxes.h"
#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "serial/PortMap.h"
#include "serial/RoutedSerialComm.h"
#include "sim/GsmModule.h"

#include <QApplication>

using namespace quillon;

namespace {
/// Where a port entry leads, read from the settings file at every open.
PortTarget TargetOf(int port)
{
    return PortTargetFromValue(port, ReadIniString(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(port)));
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    sim::GsmModule simulatedModule;
    RoutedSerialComm comm(TargetOf, &simulatedModule);
    MessageBoxes messages;

    Quillon window(comm, messages);
    messages.SetParent(&window);
    window.SetShowAbout([] { frmAbout::ShowSingle(); });
    window.SetDescribePort([](int port) {
        const PortTarget target = TargetOf(port);
        return target.simulator ? QStringLiteral("模拟GSM模块 (simulator)") : target.device;
    });
    QObject::connect(&app, &QApplication::aboutToQuit, [&messages] { messages.SetSilenced(); });
    window.Form_Load();
    window.show();
    return app.exec();
}
