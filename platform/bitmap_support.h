// The rendered image's bitmap on this platform. The toolkit keeps a 24-bit
// bitmap here as a GdkPixbuf: it is what the library hands out as a bitmap
// handle, and its memory comes uninitialised from the allocator.
#ifndef OSTRIM_BITMAP_SUPPORT_H
#define OSTRIM_BITMAP_SUPPORT_H

#include <wx/bitmap.h>

#include <cstdint>

namespace platform {

// Largest pixel memory of one bitmap. The toolkit asks the system for the
// whole block at once and an overcommitting system grants absurd sizes, so
// the library refuses them itself.
constexpr int64_t kMaxBitmapBytes = int64_t{1} << 30;

// Releases whatever the bitmap held, then makes it a 24-bit bitmap of the
// size given with every pixel black, as a fresh device-independent bitmap
// is. False, with the bitmap left empty, for a size of zero or less, a size
// over the limit, or when the toolkit made no native image; the toolkit is
// not called for sizes it would refuse.
bool createRgbBitmap(wxBitmap& bitmap, int width, int height);

// The native image object of the bitmap's data (a GdkPixbuf*), owned by the
// bitmap; null when it has none.
void* nativeBitmapHandle(const wxBitmap& bitmap);

}  // namespace platform

#endif
