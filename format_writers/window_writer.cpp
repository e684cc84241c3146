#include "window_writer.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "byte_writer.h"
#include "sparse_file.h"

namespace writers {

int32_t cellRow(float latitude) {
    const double row = std::floor((-10.0 - static_cast<double>(latitude)) * 100.0);
    return row >= 0.0 && row < kCellGridSize ? static_cast<int32_t>(row) : -1;
}

int32_t cellColumn(float longitude) {
    const double column = std::floor((static_cast<double>(longitude) - 110.0) * 100.0);
    return column >= 0.0 && column < kCellGridSize ? static_cast<int32_t>(column) : -1;
}

int64_t cellRecord(int32_t row, int32_t column) {
    return int64_t{row} * kCellGridSize + column;
}

int64_t cellRecordOf(float latitude, float longitude) {
    const int32_t row = cellRow(latitude);
    const int32_t column = cellColumn(longitude);
    return row < 0 || column < 0 ? -1 : cellRecord(row, column);
}

WindowFiles toWindowFiles(const NetworkModel& model, int32_t shapeRecordBase) {
    std::vector<std::vector<int32_t>> outgoing(model.nodes.size());
    for (size_t j = 0; j < model.links.size(); ++j) {
        outgoing[model.links[j].from].push_back(static_cast<int32_t>(j));
    }
    std::vector<int64_t> recordOfNode(model.nodes.size());
    std::map<int64_t, std::vector<int32_t>> nodesOfCell;
    for (size_t k = 0; k < model.nodes.size(); ++k) {
        recordOfNode[k] = cellRecordOf(model.nodes[k].latitude, model.nodes[k].longitude);
        if (recordOfNode[k] >= 0) nodesOfCell[recordOfNode[k]].push_back(static_cast<int32_t>(k));
    }

    WindowFiles files;
    int32_t nextLinkId = 1;
    for (const auto& [record, nodes] : nodesOfCell) {
        CellBlock cell;
        cell.record = record;
        for (int32_t k : nodes) {
            const ModelNode& node = model.nodes[k];
            std::vector<int32_t> links;
            for (int32_t j : outgoing[k]) {
                if (recordOfNode[model.links[j].to] >= 0 && links.size() < 255) links.push_back(j);
            }
            cell.nodeIds.push_back(node.id);
            cell.latitudes.push_back(node.latitude);
            cell.longitudes.push_back(node.longitude);
            cell.firstLinkIds.push_back(nextLinkId);
            cell.degrees.push_back(static_cast<uint8_t>(links.size()));
            for (int32_t j : links) {
                const ModelLink& link = model.links[j];
                cell.linkIds.push_back(nextLinkId++);
                cell.targetIds.push_back(model.nodes[link.to].id);
                cell.lengthsMetres.push_back(
                    static_cast<float>(static_cast<double>(link.lengthKm) * 1000.0));
                cell.shapeIndexes.push_back(link.shape + shapeRecordBase);
                cell.classes.push_back(link.roadClass);
            }
        }
        files.cells.push_back(std::move(cell));
    }
    return files;
}

std::vector<uint8_t> encodeCellBlock(const CellBlock& cell) {
    ByteWriter out;
    for (int32_t v : cell.nodeIds) out.i32(v);
    for (float v : cell.latitudes) out.f32(v);
    for (float v : cell.longitudes) out.f32(v);
    for (int32_t v : cell.firstLinkIds) out.i32(v);
    for (uint8_t v : cell.degrees) out.u8(v);
    for (int32_t v : cell.linkIds) out.i32(v);
    for (int32_t v : cell.targetIds) out.i32(v);
    for (float v : cell.lengthsMetres) out.f32(v);
    for (int32_t v : cell.shapeIndexes) out.i32(v);
    for (uint8_t v : cell.classes) out.u8(v);
    return std::move(out.bytes());
}

namespace {

std::vector<uint8_t> encodeCellRecord(int32_t blockOffset, int32_t nodeCount, int32_t linkCount) {
    ByteWriter out;
    out.i32(blockOffset);
    out.i32(nodeCount);
    out.i32(linkCount);
    return std::move(out.bytes());
}

}  // namespace

bool writeWindowFiles(const std::string& folder, const WindowFiles& files) {
    const std::string indexPath = folder + "roadnet.it";
    if (!createSparseFile(indexPath, kCellIndexBytes)) return false;
    ByteWriter blocks;
    for (const CellBlock& cell : files.cells) {
        const auto offset = static_cast<int32_t>(blocks.size());
        const std::vector<uint8_t> block = encodeCellBlock(cell);
        blocks.raw(block.data(), block.size());
        const auto record = encodeCellRecord(offset, static_cast<int32_t>(cell.nodeIds.size()),
                                             static_cast<int32_t>(cell.linkIds.size()));
        if (!writeBytesAt(indexPath, cell.record * kCellRecordBytes, record)) return false;
    }
    return writeFileBytes(folder + "roadnet.nl", blocks.bytes());
}

bool writeCellRecord(const std::string& folder, int64_t record, int32_t blockOffset,
                     int32_t nodeCount, int32_t linkCount) {
    return writeBytesAt(folder + "roadnet.it", record * kCellRecordBytes,
                        encodeCellRecord(blockOffset, nodeCount, linkCount));
}

}  // namespace writers
