#include "link_shape_writer.h"

#include "byte_writer.h"
#include "roadnet_writer.h"
#include "sparse_file.h"
#include "window_writer.h"

namespace writers {

bool writeLinkShapes(const std::string& folder, const NetworkModel& model,
                     const ShapeFileLayout& layout) {
    ByteWriter records;
    ByteWriter points;
    int32_t next = layout.pointBase;
    for (const ShapePoints& shape : model.shapes) {
        records.i32(next);
        records.i32(static_cast<int32_t>(shape.size()));
        for (const auto& point : shape) {
            points.f32(point[0]);
            points.f32(point[1]);
        }
        next += static_cast<int32_t>(shape.size());
    }
    const std::string indexPath = folder + "link.ind";
    const std::string dataPath = folder + "link.dat";
    return createSparseFile(indexPath, 0) && createSparseFile(dataPath, 0) &&
           writeBytesAt(indexPath, int64_t{layout.recordBase} * 8, records.bytes()) &&
           writeBytesAt(dataPath, int64_t{layout.pointBase} * 8, points.bytes());
}

bool writeNetworkFiles(const std::string& folder, const NetworkModel& model) {
    return writeRoadnet(folder, toRoadnetFile(model)) &&
           writeWindowFiles(folder, toWindowFiles(model)) && writeLinkShapes(folder, model);
}

}  // namespace writers
