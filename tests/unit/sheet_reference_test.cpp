// getMap keeps only the raster cells that down-sampling reads, and shares
// the tiles out over workers. These tests compose the same sheets into the
// whole raster, written cell by cell in the order of the straightforward
// algorithm, sample it down and expect the very same bytes, however the
// work is shared out.
#include <gtest/gtest.h>

#include <random>

#include "sheet_fixture.h"

namespace {

class FullRaster : public imagery::CellTarget {
public:
    explicit FullRaster(const imagery::SheetView& view) : view_(view) {}

    void clear() override { cells_.assign(static_cast<size_t>(view_.rasterWidth * view_.rasterHeight), 0); }

    void drawTile(const imagery::TilePlacement& p) override {
        const int64_t w = view_.rasterWidth, h = view_.rasterHeight;
        for (int32_t y = p.yStart; y < p.yEnd; ++y)
            for (int64_t j = 0; j < p.smear; ++j)
                for (int32_t x = p.xStart; x < p.xEnd; ++x)
                    for (int64_t i = 0; i < p.smear; ++i) {
                        const int64_t c = p.cellColumn[x] + i, r = p.cellRow[y] + j;
                        if (c >= 0 && c < w && r >= 0 && r < h) cells_[r * w + c] = p.value(x, y);
                    }
    }

    std::vector<uint8_t> sampled() const {
        std::vector<uint8_t> out;
        for (int64_t k = 0; k < view_.height; ++k)
            for (int64_t j = 0; j < view_.width; ++j)
                out.push_back(cells_[(k * view_.z10) * view_.rasterWidth + j * view_.z10]);
        return out;
    }

private:
    imagery::SheetView view_;
    std::vector<uint8_t> cells_;
};

class SheetReference : public SheetTest {
protected:
    static constexpr int kWidth = 48, kHeight = 36;

    // Six sheets of several scales, overlapping each other and the view's
    // edges at every zoom below, each with a palette of its own.
    void SetUp() override {
        const imagery::SheetView v = plan(0.1f, kWidth, kHeight);
        const struct { float scale; double left, top; int32_t width, height; } sheets[] = {
            {0.1f, -30, 20, 1200, 900}, {0.2f, 15, -5, 500, 400},    {0.05f, 3, -2, 300, 500},
            {0.25f, -100, -60, 400, 300}, {0.5f, 60, 10, 200, 260}, {0.1f, 1, -1, 130, 70}};
        std::vector<std::string> all(std::begin(writers::kSheetZoomFolders), std::end(writers::kSheetZoomFolders));
        std::mt19937 random(7);
        for (size_t n = 0; n < std::size(sheets); ++n) {
            std::vector<std::array<uint8_t, 3>> colours(256);
            for (auto& colour : colours) colour = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
            const auto& s = sheets[n];
            const auto blocks = [n](int32_t px, int32_t py) {
                return static_cast<uint8_t>(n * 7 + ((px / 8) * 31 + (py / 8) * 17 + (px / 8) * (py / 8)) % 6);
            };
            const writers::SheetFiles files = writers::encodeSheet(s.width, s.height, blocks, writers::sheetPalette(colours));
            files_.push_back(files);
            addSheet({"s" + std::to_string(n), s.scale, v.left + s.left, v.top + s.top, 0, s.width, s.height}, files, all);
        }
        load();
    }

    void expectSameAsReference(float zoom) {
        const MapCall call = map(zoom, kWidth, kHeight);
        const imagery::SheetView view = plan(zoom, kWidth, kHeight);
        FullRaster reference(view);
        std::array<uint8_t, 1024> palette{};
        ASSERT_EQ(call.result, imagery::composeSheets(view, reference, palette.data()) ? 0 : -1) << zoom;
        if (call.result != 0) return;
        EXPECT_EQ(call.palette, palette) << zoom;
        EXPECT_EQ(call.pixels, reference.sampled()) << zoom;
        // The work shared out otherwise: one worker, and several owning
        // slices down to one output column each, over batches down to one
        // tile.
        const imagery::ComposeOptions shares[] = {{1, 1, 1 << 20}, {8, kWidth, 3000}, {2, 5, 1}};
        for (const imagery::ComposeOptions& share : shares) {
            std::vector<uint8_t> pixels(call.pixels.size(), 0xA5);
            std::array<uint8_t, 1024> sharedPalette{};
            ASSERT_TRUE(imagery::composeSampled(view, pixels.data(), sharedPalette.data(), share));
            EXPECT_EQ(pixels, call.pixels) << zoom << " with " << share.workers << " workers, " << share.slices
                                           << " slices";
            EXPECT_EQ(sharedPalette, palette) << zoom;
        }
    }

    std::vector<writers::SheetFiles> files_;
};

TEST_F(SheetReference, SampledCellsMatchTheFullRasterAtEveryZoom) {
    for (float zoom : {0.1f, 0.2f, 0.3f, 0.45f, 0.7f, 1.0f, 1.3f, 2.4f, 3.3f}) expectSameAsReference(zoom);
}

// Damaged tile streams and offset tables: nothing is read or written out of
// bounds (the sanitizer build checks) and the result still matches.
TEST_F(SheetReference, CorruptSheetsMatchTheFullRaster) {
    std::mt19937 random(11);
    for (int round = 0; round < 12; ++round) {
        for (size_t n = 0; n < files_.size(); ++n) {
            writers::SheetFiles files = files_[n];
            for (int flips = 0; flips < 20; ++flips) files.cmp[random() % files.cmp.size()] ^= uint8_t(1 + random() % 255);
            files.off[random() % files.off.size()] ^= uint8_t(1 << (random() % 8));
            if (round % 3 == 0) files.cmp.resize(random() % files.cmp.size());
            if (round % 4 == 1) files.off.resize(random() % files.off.size());
            ASSERT_TRUE(writers::writeSheetFiles(maps() + "1//", "s" + std::to_string(n), files));
        }
        expectSameAsReference(0.1f);
        expectSameAsReference(0.25f);
    }
}

}  // namespace
