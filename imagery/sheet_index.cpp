#include "sheet_index.h"

#include <locale.h>
#include <stdlib.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "data_file.h"
#include "load_order.h"
#include "truncate.h"

namespace imagery {

OSTRIM_SHEET_OBJECT MapSheet sheetTable[kSheetTableSize];
OSTRIM_SHEET_OBJECT wxString mapsFolder;
int32_t sheetCount = 0;

namespace {

// Splits the index text the way the C library's tokeniser does: a token
// starts after any run of its separators and ends at the next one, which is
// consumed. Unlike that tokeniser it never looks past the end of the text.
class IndexTokens {
public:
    IndexTokens(const char* text, size_t length) : position_(text), end_(text + length) {}

    bool next(const char* separators, std::string* token) {
        while (position_ < end_ && isSeparator(*position_, separators)) ++position_;
        if (position_ == end_) return false;
        const char* start = position_;
        while (position_ < end_ && !isSeparator(*position_, separators)) ++position_;
        token->assign(start, position_);
        if (position_ < end_) ++position_;
        return true;
    }

private:
    static bool isSeparator(char c, const char* separators) {
        return std::strchr(separators, c) != nullptr;
    }

    const char* position_;
    const char* end_;
};

// Decimal text as the C library reads it, whatever locale the host set.
double parseNumber(const std::string& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) return std::strtod(text.c_str(), nullptr);
    return strtod_l(text.c_str(), nullptr, cLocale);
}

bool fitsInt32(double value) {
    return value > -2147483649.0 && value < 2147483648.0;
}

// Fields 2 to 7 of a record as text, and the entry they make. False when
// no sheet could be drawn from them: numbers that are not finite or do not
// fit their fields, a scale of zero or below, an empty sheet, or edges that
// leave the grid's 32-bit range.
bool parseRecord(const std::string (&fields)[6], MapSheet* sheet) {
    const double scale = parseNumber(fields[0]);
    const double left = parseNumber(fields[1]);
    const double top = parseNumber(fields[2]);
    const double reserved = parseNumber(fields[3]);
    const double width = parseNumber(fields[4]);
    const double height = parseNumber(fields[5]);
    if (!(scale > 0.0 && scale <= FLT_MAX) || static_cast<float>(scale) <= 0.0f) return false;
    if (!fitsInt32(left) || !fitsInt32(top) || !fitsInt32(width) || !fitsInt32(height)) return false;
    MapSheet parsed;
    parsed.scale = static_cast<float>(scale);
    parsed.left = platform::truncToInt32(left);
    parsed.top = platform::truncToInt32(top);
    parsed.width = platform::truncToInt32(width);
    parsed.height = platform::truncToInt32(height);
    // Never used, so an out-of-range value costs the sheet nothing.
    parsed.reserved = platform::truncToInt32(reserved);
    if (parsed.width <= 0 || parsed.height <= 0) return false;
    const double right = parsed.width * static_cast<double>(parsed.scale) + parsed.left;
    const double bottom = parsed.top - parsed.height * static_cast<double>(parsed.scale);
    if (!fitsInt32(right) || !fitsInt32(bottom)) return false;
    sheet->scale = parsed.scale;
    sheet->left = parsed.left;
    sheet->top = parsed.top;
    sheet->width = parsed.width;
    sheet->height = parsed.height;
    sheet->reserved = parsed.reserved;
    sheet->right = platform::truncToInt32(right);
    sheet->bottom = platform::truncToInt32(bottom);
    return true;
}

// The whole index file, cut at its first NUL byte as a C string would be.
bool readIndexText(std::unique_ptr<char[]>* text, size_t* size) {
    const wxString path = mapsFolder + wxS("1//index.dat");
    if (!platform::DataFile::exists(path)) return false;
    platform::DataFile file;
    if (!file.open(path)) return false;
    const int64_t length = file.length();
    if (length <= 0 || static_cast<uint64_t>(length) > SIZE_MAX / 2) return false;
    text->reset(new (std::nothrow) char[static_cast<size_t>(length)]);
    if (!*text) return false;
    const size_t got = file.read(text->get(), static_cast<size_t>(length));
    file.close();
    const void* nul = std::memchr(text->get(), '\0', got);
    *size = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text->get()) : got;
    return true;
}

}  // namespace

void loadMapIndex() {
    sheetCount = 0;
    std::unique_ptr<char[]> text;
    size_t size = 0;
    if (!readIndexText(&text, &size)) return;
    IndexTokens tokens(text.get(), size);
    std::string nameText;
    // The first name also ends at a line end; later names run from the
    // previous record's line end to the next comma.
    bool more = tokens.next(",\r\n", &nameText);
    while (more && sheetCount < kSheetTableSize) {
        wxString name = wxString::FromUTF8(nameText.data(), nameText.size());
        name.Trim(true);
        if (name.empty()) break;
        std::string fields[6];
        bool complete = true;
        for (int field = 0; field < 5 && complete; ++field) complete = tokens.next(",", &fields[field]);
        // The height runs to the line end; whatever follows its number there
        // is ignored by the conversion.
        if (complete) complete = tokens.next("\n", &fields[5]);
        if (!complete) break;
        MapSheet& entry = sheetTable[sheetCount];
        if (parseRecord(fields, &entry)) {
            entry.name = name;
            ++sheetCount;
        }
        more = tokens.next(",", &nameText);
    }
}

}  // namespace imagery
