// quillon-batch: the module test for a fixture with several ports. See BatchApp.h.
#include "batch/BatchApp.h"

int main(int argc, char *argv[]) { return quillon::batch::RunBatch(argc, argv); }
