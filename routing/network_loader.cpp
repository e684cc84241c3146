// Whole-network load from "roadnet.dat": node columns, link columns and the
// latitude band table, each read in one piece straight into its array.
#include "data_file.h"
#include "road_network.h"
#include "route_arrays.h"
#include "routing_settings.h"

namespace routing {

namespace {

constexpr int64_t kNodeRecordBytes = 25;  // 4 + 4 + 4 + 1 + 12 reserved
constexpr int64_t kLinkRecordBytes = 25;  // 4 + 1 + 4 + 4 + 4 + 8 reserved
constexpr int64_t kBandTableBytes = 4 * kBandTableSize;

// The counts in the file decide how much is allocated and read, so they are
// checked against the file's size before anything in memory is replaced.
struct FileLayout {
    int32_t nodes = 0;
    int32_t links = 0;
};

bool readLayout(platform::DataFile& file, FileLayout* layout) {
    const int64_t size = file.length();
    int32_t highestNode = 0;
    if (size < 4 || !file.readAt(0, &highestNode, 4)) return false;
    if (highestNode < 0 || highestNode == INT32_MAX) return false;
    const int64_t n = int64_t{highestNode} + 1;
    const int64_t linkHeader = 4 + kNodeRecordBytes * n;
    if (linkHeader + 4 > size) return false;
    int32_t highestLink = 0;
    if (!file.readAt(linkHeader, &highestLink, 4)) return false;
    if (highestLink < 0 || highestLink == INT32_MAX) return false;
    const int64_t m = int64_t{highestLink} + 1;
    if (linkHeader + 4 + kLinkRecordBytes * m + kBandTableBytes > size) return false;
    layout->nodes = static_cast<int32_t>(n);
    layout->links = static_cast<int32_t>(m);
    return true;
}

bool readColumns(platform::DataFile& file, int32_t n, int32_t m) {
    const size_t nn = static_cast<size_t>(n);
    const size_t mm = static_cast<size_t>(m);
    const int64_t linkStart = 8 + kNodeRecordBytes * n;
    allocateBandTable();
    return file.readAt(4, nodeLatitude, 4 * nn) && file.readExact(nodeLongitude, 4 * nn) &&
           file.readExact(nodeFirstLink, 4 * nn) && file.readExact(nodeDegree, nn) &&
           file.readAt(linkStart, linkTarget, 4 * mm) && file.readExact(linkClass, mm) &&
           file.readExact(linkLength, 4 * mm) && file.readExact(linkCost, 4 * mm) &&
           file.readAt(linkStart + kLinkRecordBytes * m, latitudeBandTable,
                       static_cast<size_t>(kBandTableBytes));
}

// Entries that would lead a search or a scan outside the arrays are made
// inert: such a link leads nowhere, such a node has no links, and band
// starts are kept inside the node range.
void neutraliseOutOfRangeEntries() {
    for (int32_t j = 0; j < linkCount; ++j) {
        if (linkTarget[j] < 0 || linkTarget[j] >= nodeCount) linkTarget[j] = -1;
    }
    for (int32_t k = 0; k < nodeCount; ++k) {
        const int64_t first = nodeFirstLink[k];
        if (first < 0 || first + nodeDegree[k] > linkCount) {
            nodeFirstLink[k] = 0;
            nodeDegree[k] = 0;
        }
    }
    int32_t* starts = latitudeBandTable + kBandKeys;
    for (int j = 0; j < kBandKeys; ++j) {
        if (starts[j] < 0) starts[j] = 0;
        if (starts[j] > nodeCount) starts[j] = nodeCount;
    }
}

}  // namespace

void loadRoadNetwork() {
    const wxString path = dataPath + wxS("roadnet.dat");
    platform::DataFile file;
    FileLayout layout;
    if (!file.open(path) || !readLayout(file, &layout)) {
        networkLoaded = 0;
        return;
    }
    // A load refused up to here has changed nothing else. From here on the
    // network in memory is being replaced, and a route found on it goes
    // with it, whether the new network arrives or not.
    freeRoadNetwork();
    dropRoute();
    allocateNodeArrays(layout.nodes);
    allocateLinkArrays(layout.links);
    if (!readColumns(file, layout.nodes, layout.links)) {
        freeRoadNetwork();
        networkLoaded = 0;
        return;
    }
    neutraliseOutOfRangeEntries();
    networkLoaded = 1;
    file.close();
    routeMethod = 1;
    computeLinkCosts();
}

}  // namespace routing
