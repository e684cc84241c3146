// "roadnet.it" and "roadnet.nl": the road network cut into 0.01-degree
// cells. The index holds one 12-byte record per cell of the whole
// 4501 x 4501 grid (a sparse file: only the records of non-empty cells are
// written); the blocks hold each non-empty cell's nodes and links as ten
// columns. Written from the same NetworkModel as "roadnet.dat", so a window
// and the whole network describe one road network.
#ifndef OSTRIM_WINDOW_WRITER_H
#define OSTRIM_WINDOW_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "network_model.h"

namespace writers {

constexpr int32_t kCellGridSize = 4501;
constexpr int64_t kCellRecordBytes = 12;
constexpr int64_t kCellIndexBytes = int64_t{kCellGridSize} * kCellGridSize * kCellRecordBytes;

// The cell holding a position: row southward from -10.00, column eastward
// from 110.00; -1 outside the grid.
int32_t cellRow(float latitude);
int32_t cellColumn(float longitude);
int64_t cellRecord(int32_t row, int32_t column);
int64_t cellRecordOf(float latitude, float longitude);

// One non-empty cell: its record number and its block's columns.
struct CellBlock {
    int64_t record = 0;
    std::vector<int32_t> nodeIds;
    std::vector<float> latitudes;
    std::vector<float> longitudes;
    std::vector<int32_t> firstLinkIds;
    std::vector<uint8_t> degrees;
    std::vector<int32_t> linkIds;
    std::vector<int32_t> targetIds;
    std::vector<float> lengthsMetres;
    std::vector<int32_t> shapeIndexes;
    std::vector<uint8_t> classes;
};

struct WindowFiles {
    std::vector<CellBlock> cells;  // in record order
};

// Each model node goes to the cell holding it (nodes outside the grid, and
// their links, are left out), keeping model order within a cell. Node ids
// are the model's; link ids are given in record order from 1 so that each
// node's outgoing links carry consecutive ids. A link's shape index is the
// model's shape index plus shapeRecordBase.
WindowFiles toWindowFiles(const NetworkModel& model, int32_t shapeRecordBase = 0);

std::vector<uint8_t> encodeCellBlock(const CellBlock& cell);

// Writes folder + "roadnet.it" (the whole grid, sparse) and "roadnet.nl".
bool writeWindowFiles(const std::string& folder, const WindowFiles& files);

// Overwrites one record of an existing folder + "roadnet.it".
bool writeCellRecord(const std::string& folder, int64_t record, int32_t blockOffset,
                     int32_t nodeCount, int32_t linkCount);

}  // namespace writers

#endif
