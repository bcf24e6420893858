// quillon-records: list, show, export, summarise and sync the module test records.

#include "RecordsCommand.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The window's name, so the per-user data folder is the one the window falls back to.
    QCoreApplication::setApplicationName(QStringLiteral("quillon"));
    return quillon::records::RunRecordsCommand(QCoreApplication::arguments(), stdout, stderr);
}
