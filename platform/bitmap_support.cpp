#include "bitmap_support.h"

#include <wx/log.h>
#include <wx/rawbmp.h>

namespace platform {

bool createRgbBitmap(wxBitmap& bitmap, int width, int height) {
    bitmap.UnRef();
    if (width <= 0 || height <= 0) return false;
    if (int64_t{width} * height * 3 > kMaxBitmapBytes) return false;
    wxLogNull quiet;
    bitmap.Create(width, height, 24);
    if (!bitmap.IsOk() || nativeBitmapHandle(bitmap) == nullptr) {
        bitmap.UnRef();
        return false;
    }
    wxNativePixelData pixels(bitmap);
    if (!pixels) {
        bitmap.UnRef();
        return false;
    }
    wxNativePixelData::Iterator row(pixels);
    for (int y = 0; y < height; ++y) {
        wxNativePixelData::Iterator pixel = row;
        for (int x = 0; x < width; ++x, ++pixel) {
            pixel.Red() = 0;
            pixel.Green() = 0;
            pixel.Blue() = 0;
        }
        row.OffsetY(pixels, 1);
    }
    return true;
}

void* nativeBitmapHandle(const wxBitmap& bitmap) {
    if (!bitmap.IsOk()) return nullptr;
    return bitmap.GetPixbuf();
}

}  // namespace platform
