#pragma once
// quillon-batch: the module test on every port named, at once. Reads the command line and the
// window's settings file ([Ports], [Log], [Records]), opens the ports, runs one station per
// port, prints the progress, writes records, JSON lines and the JUnit report.
//
// Exit status: 0 every unit passed, 1 a unit failed or was cut short, 2 a usage or set-up error
// (unknown option, no port, a port that cannot be opened: named with its reason).

namespace quillon::batch {

int RunBatch(int argc, char **argv);

} // namespace quillon::batch
