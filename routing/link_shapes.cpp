#include "link_shapes.h"

#include "routing_settings.h"

namespace routing {

bool LinkShapeFiles::open() {
    pointFileLength_ = -1;
    if (!indexFile_.open(dataPath + wxS("link.ind")) || !pointFile_.open(dataPath + wxS("link.dat"))) {
        close();
        return false;
    }
    pointFileLength_ = pointFile_.length();
    return true;
}

void LinkShapeFiles::close() {
    indexFile_.close();
    pointFile_.close();
    pointFileLength_ = -1;
}

bool LinkShapeFiles::readRecord(int32_t shapeIndex, LinkShapeRecord* record) {
    if (shapeIndex < 0 || !indexFile_.readAt(int64_t{shapeIndex} * 8, record, sizeof *record)) {
        return false;
    }
    const int64_t end = (int64_t{record->first} + record->count) * 8;
    return record->first >= 0 && record->count >= 1 && end <= pointFileLength_;
}

int32_t LinkShapeFiles::pointCount(int32_t shapeIndex) {
    LinkShapeRecord record{};
    return readRecord(shapeIndex, &record) ? record.count : -1;
}

bool LinkShapeFiles::readShape(int32_t shapeIndex, ShapePoints* points) {
    points->clear();
    LinkShapeRecord record{};
    if (!readRecord(shapeIndex, &record)) return false;
    points->resize(static_cast<size_t>(record.count));
    if (!pointFile_.readAt(int64_t{record.first} * 8, points->data(), points->size() * sizeof(ShapePoint))) {
        points->clear();
        return false;
    }
    return true;
}

}  // namespace routing
