// Data sets the benchmarks share, generated once per run into a scratch
// folder that is removed at exit.
#ifndef OSTRIM_BENCH_SUPPORT_H
#define OSTRIM_BENCH_SUPPORT_H

#include <string>

#include "network_model.h"

// A grid city of at least 300,000 nodes and 750,000 links, written as
// "roadnet.dat" into the folder returned (ending with '/').
const std::string& largeNetworkFolder();
const writers::NetworkModel& largeNetworkModel();

// A folder of its own for a benchmark's files, removed at exit.
std::string benchScratchFolder(const std::string& name);

#endif
