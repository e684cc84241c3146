// What the map-sheet service knows about its sheets: the maps folder and the
// table read from the one text index "1//index.dat", shared by all five zoom
// folders.
#ifndef OSTRIM_SHEET_INDEX_H
#define OSTRIM_SHEET_INDEX_H

#include <wx/string.h>

#include <cstdint>

namespace imagery {

struct MapSheet {
    wxString name;        // stem of the sheet's ".cmp", ".off" and ".pal"
    float scale = 0.0f;   // metres per sheet pixel
    int32_t left = 0;     // grid metres, no datum shift
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t top = 0;
    int32_t width = 0;    // pixels
    int32_t height = 0;
    int32_t reserved = 0;  // kept from the index, never used
};

constexpr int32_t kSheetTableSize = 5000;

// Entries 0 to sheetCount - 1 are valid; later entries keep whatever an
// earlier load left there.
extern MapSheet sheetTable[kSheetTableSize];
extern int32_t sheetCount;
// Prefix of every sheet path; ends with a separator.
extern wxString mapsFolder;

// Reads mapsFolder + "1//index.dat" into the table. Records that no sheet
// could be drawn from are left out; the index ends at a record that is cut
// short by the end of the file, and after kSheetTableSize records.
void loadMapIndex();

}  // namespace imagery

#endif
