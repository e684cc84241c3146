// Composes views of the sample map sheets with getMap and saves each,
// through the palette that came with it, as an 8-bit palette PNG.
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "host.h"

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putU32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    putU32(out, static_cast<uint32_t>(crc));
}

// pixels: rows from the bottom up, as getMap hands them out; palette:
// 256 entries of blue, green, red and an unused byte.
bool savePalettePng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
                    const uint8_t* palette) {
    std::vector<uint8_t> header;
    putU32(header, static_cast<uint32_t>(width));
    putU32(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, 3, 0, 0, 0});  // 8 bits, palette colour, no interlace
    std::vector<uint8_t> colours;
    for (int k = 0; k < 256; ++k) colours.insert(colours.end(), {palette[4 * k + 2], palette[4 * k + 1], palette[4 * k]});
    std::vector<uint8_t> rows;
    for (int y = height - 1; y >= 0; --y) {
        rows.push_back(0);  // no filter
        rows.insert(rows.end(), pixels.begin() + static_cast<long>(y) * width,
                    pixels.begin() + static_cast<long>(y + 1) * width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "PLTE", colours);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool showSheets(const Library& library, const std::string& dataRoot, const std::string& outputRoot) {
    auto initialiseMapsFn = HOST_RESOLVE(library, InitialiseMaps);
    auto getMapFn = HOST_RESOLVE(library, getMap);
    const std::string maps = dataRoot + "maps/";
    initialiseMapsFn(maps.c_str());

    // The north-west of the sample city from the coarsest folder, and the
    // street sheets around its crossing of two arterial roads up close.
    const struct { const char* file; double latitude, longitude; float zoom; } views[] = {
        {"sheets-city.png", -33.8050, 151.1050, 2.4f},
        {"sheets-streets.png", -33.8190, 151.1184, 0.3f},
    };
    const int width = 1024, height = 768;
    std::error_code error;
    std::filesystem::create_directories(outputRoot, error);
    bool ok = true;
    for (const auto& view : views) {
        double lat1 = view.latitude, lon1 = view.longitude, lat2 = 0.0, lon2 = 0.0;
        float zoom = view.zoom;
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
        uint8_t palette[1024];
        const int result = getMapFn(width, height, &lat1, &lon1, &lat2, &lon2, &zoom, pixels.data(), palette);
        std::printf("getMap %dx%d at zoom %.2f: %d, corners (%.6f, %.6f) to (%.6f, %.6f)\n", width, height,
                    static_cast<double>(zoom), result, lat1, lon1, lat2, lon2);
        if (result != 0) {
            ok = false;
            continue;
        }
        const std::string path = outputRoot + view.file;
        const bool saved = savePalettePng(path, width, height, pixels, palette);
        std::printf("  %s %s\n", saved ? "saved" : "could not save", path.c_str());
        ok = ok && saved;
    }
    return ok;
}
