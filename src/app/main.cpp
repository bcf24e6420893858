// Quillon: a bench tool for bringing up and checking a GSM modem module on a serial port.

#include "about/frmAbout.h"
#include "app/MessageBoxes.h"
#include "app/PortSettings.h"
#include "app/Quillon.h"
#include "serial/RoutedSerialComm.h"
#include "sim/GsmModule.h"

#include <QApplication>

using namespace quillon;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    InstallFontSubstitutions();

    sim::GsmModule simulatedModule;
    RoutedSerialComm comm(PortTargetFromSettings, &simulatedModule);
    MessageBoxes messages;

    Quillon window(comm, messages);
    messages.SetParent(&window);
    window.SetShowAbout([] { frmAbout::ShowSingle(); });
    window.SetDescribePort(DescribePortTarget);
    QObject::connect(&window, &Quillon::Closing, [&messages] { messages.SetSilenced(); });
    window.Form_Load();
    window.show();
    return app.exec();
}
