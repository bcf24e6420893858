// quillon-log: turns a Quillon session log back into the bytes of each direction.

#include "LogTool.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return quillon::RunLogTool(app.arguments().mid(1), stdout, stderr);
}
