// Scratch map layers for the rendering tests: a layer drawn with a pattern
// that tells, for every pixel, which level pixel it came from.
#ifndef OSTRIM_LAYER_TEST_SUPPORT_H
#define OSTRIM_LAYER_TEST_SUPPORT_H

#include <cstdint>
#include <string>

#include "layer_writer.h"

// Palette indexes 0 to 117: never one of the white entries (118, 255) nor
// the unset black ones (127 to 254). A pixel taken from the wrong level,
// tile, row or column gets another index.
inline uint8_t identifyingIndex(int level, int x, int y) {
    return static_cast<uint8_t>((level * 29 + x * 7 + y * 11) % 118);
}

// Writes the layer into base + cityFolder (a folder name ending with '/')
// and returns its files.
inline writers::LayerFiles writeScratchLayer(const std::string& base, const std::string& cityFolder, int layer,
                                             const writers::LayerGeometry& geometry,
                                             const writers::LayerTileSource& tiles =
                                                 writers::tilesFromPixels(identifyingIndex),
                                             const writers::LayerWriteOptions& options = {}) {
    writers::LayerFiles files = writers::buildLayer(geometry, tiles, options);
    writers::writeLayer(base + cityFolder, layer, files);
    return files;
}

#endif
