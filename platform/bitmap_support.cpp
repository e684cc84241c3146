#include "bitmap_support.h"

#include <wx/log.h>
#include <wx/rawbmp.h>

#include <cstring>

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
    // Black is all channels zero, whatever order the pixels keep them in.
    wxNativePixelData::Iterator first(pixels);
    unsigned char* row = &first.Red() - wxNativePixelFormat::RED;
    const size_t rowBytes = static_cast<size_t>(width) * wxNativePixelFormat::SizePixel;
    for (int y = 0; y < height; ++y, row += pixels.GetRowStride()) std::memset(row, 0, rowBytes);
    return true;
}

void* nativeBitmapHandle(const wxBitmap& bitmap) {
    if (!bitmap.IsOk()) return nullptr;
    return bitmap.GetPixbuf();
}

}  // namespace platform
