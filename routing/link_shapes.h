// The link-shape files: "link.ind" holds one LinkShapeRecord per shape,
// "link.dat" the shapes' points. Both are read at absolute 64-bit offsets,
// and a shape is used only when its record and all of its points are there.
#ifndef OSTRIM_LINK_SHAPES_H
#define OSTRIM_LINK_SHAPES_H

#include <cstdint>
#include <vector>

#include "data_file.h"

namespace routing {

struct LinkShapeRecord {
    int32_t first;  // index of the first ShapePoint in "link.dat"
    int32_t count;
};
static_assert(sizeof(LinkShapeRecord) == 8, "8-byte records in \"link.ind\"");

struct ShapePoint {
    float longitude;
    float latitude;
};
static_assert(sizeof(ShapePoint) == 8, "8-byte points in \"link.dat\"");

using ShapePoints = std::vector<ShapePoint>;

// Reads shapes through two handles owned by the caller.
class LinkShapeFiles {
public:
    LinkShapeFiles(platform::DataFile& indexFile, platform::DataFile& pointFile)
        : indexFile_(indexFile), pointFile_(pointFile) {}
    ~LinkShapeFiles() { close(); }
    LinkShapeFiles(const LinkShapeFiles&) = delete;
    LinkShapeFiles& operator=(const LinkShapeFiles&) = delete;

    // Opens dataPath + "link.ind" and + "link.dat"; false unless both open.
    bool open();
    void close();

    // Number of points of the shape, or -1 when its record cannot be read,
    // it names no point, or its points do not all lie in "link.dat".
    int32_t pointCount(int32_t shapeIndex);
    // The shape's points; false (and points emptied) when pointCount is -1
    // or the points cannot be read.
    bool readShape(int32_t shapeIndex, ShapePoints* points);

private:
    bool readRecord(int32_t shapeIndex, LinkShapeRecord* record);

    platform::DataFile& indexFile_;
    platform::DataFile& pointFile_;
    int64_t pointFileLength_ = -1;
};

}  // namespace routing

#endif
