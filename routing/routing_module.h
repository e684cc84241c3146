// The routing module as a whole: its handles on the cell and shape files,
// and what releases its working state (clearData, and the recovery of an
// export that failed part way).
#ifndef OSTRIM_ROUTING_MODULE_H
#define OSTRIM_ROUTING_MODULE_H

#include "data_file.h"

namespace routing {

extern platform::DataFile cellIndexFile;
extern platform::DataFile cellDataFile;
extern platform::DataFile linkIndexFile;
extern platform::DataFile linkDataFile;

// The search state, the route and the added points released.
void freeRouteGenerator();

// What an export that failed part way leaves: no route, no network (it may
// be half loaded) and no open road-data file. The added points stay.
void abandonRoutingWork() noexcept;

}  // namespace routing

#endif
