// Quillon: a bench tool for bringing up and checking a GSM modem module on a serial port.

#include "about/frmAbout.h"
#include "app/DeviceSupport.h"
#include "app/IniLocation.h"
#include "app/MessageBoxes.h"
#include "app/PortSettings.h"
#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "base/CommandLine.h"
#include "devices/DeviceTexts.h"
#include "icon/AppIcon.h"
#include "serial/RoutedSerialComm.h"
#include "sim/GsmModule.h"

#include <QApplication>

#include <cstdio>

using namespace quillon;

int main(int argc, char *argv[])
{
    // Answered before the application object exists, so that --help, --version and
    // --list-ports work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
        QStringLiteral("Print the serial devices found and [Ports] lines for the settings file, then exit."));
    const CommandLineOutcome outcome = ParseCommandLine(
        parser, QList<QCommandLineOption>{listPorts} + ToolkitOptions(), arguments,
        {QStringLiteral("quillon"), QStringLiteral("bench tool for GSM modem modules on a serial port")});
    if (outcome.finished)
        return Report(outcome);
    if (parser.isSet(listPorts)) {
        QCoreApplication core(argc, argv);
        const SystemDevices devices;
        std::fputs(ListPortsReport(devices.Devices(), IniFilePath()).toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    app.setWindowIcon(AppIcon());
    InstallFontSubstitutions();
    AdoptSettingsFile();

    sim::GsmModule simulatedModule;
    const SystemDevices devices;
    DeviceSupport *support = nullptr;
    RoutedSerialComm comm([&support](int port) { return support ? support->Resolve(port) : PortTargetFromSettings(port); },
                          &simulatedModule);
    MessageBoxes messages;

    Quillon window(comm, messages);
    window.setWindowIcon(AppIcon());
    messages.SetParent(&window);
    window.SetShowAbout([] { frmAbout::ShowSingle(); });
    support = new DeviceSupport(window, devices, PortTargetFromSettings);
    QObject::connect(&window, &Quillon::Closing, [&messages] { messages.SetSilenced(); });
    window.Form_Load();
    window.show();
    return app.exec();
}
