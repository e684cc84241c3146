#include "layer_store.h"

#include <wx/translation.h>

#include <cmath>
#include <cstring>

#include "file_names.h"
#include "load_order.h"
#include "scratch_buffer.h"

namespace imagery {

// Constructed in this order at load, destroyed in reverse at unload.
OSTRIM_RENDERER_OBJECT wxBitmap renderBitmap;
OSTRIM_RENDERER_OBJECT platform::DataFile layerTileFile;
OSTRIM_RENDERER_OBJECT platform::DataFile layerOffsetFile;
OSTRIM_RENDERER_OBJECT wxString cityFolders[kCityCount];
OSTRIM_RENDERER_OBJECT wxString mapBasePath;

float layerScale;
PyramidLevel pyramidLevels[kPyramidLevelCount];
LevelFileBase levelFileBases[kPyramidLevelCount];
int32_t currentLevel;
uint8_t renderPalette[256][3];
int32_t renderWidth;
int32_t renderHeight;

namespace {

const wxChar* const kCityFolderNames[kCityCount] = {
    wxS("ADELAIDE"), wxS("BRISBANE"), wxS("CANBERRA"), wxS("DARWIN"),   wxS("HOBART"),  wxS("MELBOURNE"),
    wxS("PERTH"),    wxS("URBANSET"), wxS("URBANSET"), wxS("URBANSET"), wxS("URBANSET")};

// Cities 7 to 10 share one data-set folder; a layer it lacks comes from the
// city's own region folder.
constexpr int kFirstRegionCity = 7;
const wxChar* const kRegionFolderNames[4] = {wxS("SYDNEY"), wxS("SYDNEY\\CENTRAL COAST"),
                                             wxS("SYDNEY\\NEWCASTLE"), wxS("SYDNEY\\WOLLONGONG")};

const float kKeyLayerScales[kCityCount] = {12.0f, 16.0f, 13.5f, 22.222f, 18.0f, 18.0f,
                                           16.0f, 11.0f, 11.0f, 27.266f, 22.56f};

// Entries 0 to 126 and 255; 127 to 254 stay black.
const uint8_t kPalette[127][3] = {
    {192, 59, 66},   {156, 83, 94},   {111, 76, 85},   {175, 133, 150}, {168, 164, 166}, {239, 235, 237},
    {247, 245, 246}, {180, 178, 179}, {233, 222, 229}, {6, 3, 5},       {148, 120, 139}, {124, 94, 115},
    {204, 203, 204}, {192, 191, 192}, {170, 180, 204}, {78, 88, 101},   {135, 150, 169}, {96, 108, 122},
    {243, 248, 253}, {189, 208, 224}, {223, 238, 250}, {1, 11, 18},     {193, 224, 246}, {142, 197, 232},
    {78, 177, 223},  {2, 30, 41},     {14, 19, 21},    {4, 57, 77},     {3, 170, 223},   {8, 110, 142},
    {14, 15, 15},    {11, 176, 156},  {3, 34, 14},     {106, 192, 132}, {6, 15, 7},      {163, 210, 164},
    {131, 132, 131}, {208, 231, 203}, {230, 242, 227}, {243, 248, 241}, {197, 222, 182}, {110, 138, 81},
    {15, 19, 10},    {173, 203, 131}, {251, 253, 248}, {146, 169, 107}, {193, 224, 143}, {222, 237, 195},
    {35, 39, 24},    {48, 50, 43},    {97, 106, 71},   {84, 95, 29},    {64, 70, 35},    {239, 240, 210},
    {228, 231, 100}, {249, 249, 0},   {22, 22, 4},     {46, 46, 13},    {115, 189, 0},   {149, 149, 53},
    {217, 217, 82},  {194, 194, 73},  {230, 230, 88},  {255, 255, 98},  {255, 255, 110}, {255, 255, 126},
    {255, 255, 150}, {253, 251, 206}, {255, 255, 218}, {76, 76, 69},    {255, 255, 233}, {68, 68, 63},
    {59, 59, 56},    {255, 255, 247}, {111, 111, 109}, {86, 86, 85},    {245, 242, 93},  {247, 243, 106},
    {241, 236, 142}, {240, 232, 117}, {235, 233, 217}, {245, 243, 227}, {223, 208, 122}, {21, 20, 14},
    {231, 230, 224}, {253, 242, 209}, {255, 205, 77},  {217, 203, 166}, {148, 138, 113}, {203, 190, 156},
    {217, 216, 216}, {244, 226, 185}, {182, 169, 140}, {40, 39, 37},    {192, 160, 100}, {255, 235, 197},
    {230, 212, 178}, {255, 155, 57},  {191, 84, 44},   {255, 184, 161}, {255, 86, 39},   {36, 13, 8},
    {254, 137, 118}, {241, 24, 16},   {250, 0, 0},     {43, 0, 0},      {22, 0, 0},      {193, 1, 1},
    {132, 1, 1},     {77, 2, 2},      {227, 47, 47},   {226, 93, 93},   {229, 141, 141}, {255, 205, 205},
    {225, 181, 181}, {255, 230, 230}, {255, 243, 243}, {216, 215, 215}, {255, 255, 255}, {252, 252, 252},
    {243, 243, 243}, {233, 233, 233}, {230, 230, 230}, {226, 226, 226}, {225, 225, 225}, {149, 149, 149},
    {22, 22, 22}};

// A header is a few hundred bytes; a ".txt" larger than this is not one.
constexpr int64_t kMaxHeaderBytes = int64_t{1} << 20;

// The file-name texts go through the translation lookup where they are
// used; no catalogue is ever loaded, so they stand as written.
wxString layerPath(int city, const wxString& prefix, const wxChar* extension) {
    return mapBasePath + platform::nativeFileText(cityFolders[city]) +
           platform::nativeFileText(wxGetTranslation(prefix)) + wxGetTranslation(extension);
}

// A double truncated toward zero, when the result is a 32-bit integer.
bool truncatedToInt32(double value, int32_t* result) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
    *result = static_cast<int32_t>(value);
    return true;
}

bool readHeaderFile(const wxString& path, LayerHeader* header) {
    platform::DataFile file;
    if (!file.open(path)) return false;
    const int64_t length = file.length();
    if (length < 0 || length > kMaxHeaderBytes) return false;
    // One byte more than the file, zero, so the text ends with the file.
    ScratchBuffer buffer;
    uint8_t* text = buffer.zeroed(static_cast<size_t>(length) + 1);
    if (text == nullptr || !file.seek(0) || !file.readExact(text, static_cast<size_t>(length))) return false;
    file.close();
    return parseMapHeader(reinterpret_cast<const char*>(text), header);
}

// The pyramid geometry and file bases of a header, formed in full before
// any of the module's state changes. False when a value leaves the 32-bit
// range.
bool layoutPyramid(const LayerHeader& header, float scale, PyramidLevel* levels, LevelFileBase* bases) {
    const double widened = static_cast<double>(scale);
    int32_t top = 0;
    int32_t eastingExtent = 0;
    int32_t northingExtent = 0;
    if (!truncatedToInt32(header.height * widened + header.bottom, &top) ||
        !truncatedToInt32(header.width * widened, &eastingExtent) ||
        !truncatedToInt32(header.height * widened, &northingExtent)) {
        return false;
    }
    int64_t tileBase = 0;
    int64_t offsetBase = 0;
    for (int level = 0; level < kPyramidLevelCount; ++level) {
        if (level > 0) {
            tileBase += header.tileBytes[level - 1];
            offsetBase += header.offsetTableBytes[level - 1];
        }
        if (tileBase > INT32_MAX || tileBase < INT32_MIN || offsetBase > INT32_MAX || offsetBase < INT32_MIN) {
            return false;
        }
        bases[level] = {static_cast<int32_t>(tileBase), static_cast<int32_t>(offsetBase)};
        const int shift = kFullResolutionLevel - level;
        levels[level] = {header.left, eastingExtent, header.width >> shift,
                         top,         northingExtent, header.height >> shift};
    }
    return true;
}

// Opens the three files of the layer in the city's folder as it stands.
bool loadLayer(int city, const wxString& prefix) {
    LayerHeader header{};
    PyramidLevel levels[kPyramidLevelCount];
    LevelFileBase bases[kPyramidLevelCount];
    const bool usable = layerTileFile.open(layerPath(city, prefix, wxS("cmp"))) &&
                        layerOffsetFile.open(layerPath(city, prefix, wxS("off"))) &&
                        readHeaderFile(layerPath(city, prefix, wxS("txt")), &header) &&
                        layoutPyramid(header, layerScale, levels, bases);
    if (!usable) {
        closeMapLayer();
        return false;
    }
    std::memcpy(pyramidLevels, levels, sizeof levels);
    std::memcpy(levelFileBases, bases, sizeof bases);
    return true;
}

bool isHeaderSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void initMapRenderer() {
    for (int city = 0; city < kCityCount; ++city) cityFolders[city] = kCityFolderNames[city];
    std::memcpy(renderPalette, kPalette, sizeof kPalette);
    renderPalette[255][0] = 255;
    renderPalette[255][1] = 255;
    renderPalette[255][2] = 255;
}

void setMapBasePath(const wxString& folder) { mapBasePath = folder; }

bool openMapLayer(int code, float* scale) {
    const int layer = code / 1000;
    const int city = code % 1000;
    const bool knownCity = city >= 0 && city < kCityCount;
    wxString prefix;
    switch (layer) {
        case 0:
            prefix = wxS("\\key.");
            if (knownCity) layerScale = kKeyLayerScales[city];
            break;
        case 1:
            prefix = wxS("\\map.");
            layerScale = 2.0f;
            break;
        case 2:
            prefix = wxS("\\map2.");
            layerScale = 1.0f;
            break;
        case 3:
            prefix = wxS("\\map1.");
            layerScale = 0.5f;
            break;
        default:
            break;
    }
    bool opened = false;
    if (knownCity) {
        bool exists = platform::DataFile::exists(layerPath(city, prefix, wxS("cmp")));
        if (!exists && city >= kFirstRegionCity) {
            for (int region = 0; region < 4; ++region) {
                cityFolders[kFirstRegionCity + region] = kRegionFolderNames[region];
            }
            exists = platform::DataFile::exists(layerPath(city, prefix, wxS("cmp")));
        }
        opened = exists && loadLayer(city, prefix);
    }
    if (scale != nullptr) *scale = layerScale;
    return opened;
}

// Fields as the C library's strtok and atoi read them: the first field ends
// at a comma, later ones at a comma or carriage return, a run of separators
// counts as one, and a number is read from the field's start after white
// space, stopping at the first character that is not a digit.
bool parseMapHeader(const char* text, LayerHeader* header) {
    int32_t fields[14] = {};
    int count = 0;
    const char* p = text;
    while (count < 14) {
        auto separator = [count](char c) { return c == ',' || (count > 0 && c == '\r'); };
        while (*p != '\0' && separator(*p)) ++p;
        if (*p == '\0') break;
        const char* end = p;
        while (*end != '\0' && !separator(*end)) ++end;
        while (p < end && isHeaderSpace(*p)) ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
        int64_t value = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + (*p - '0');
            if (value > int64_t{INT32_MAX} + 1) return false;
        }
        if (negative) value = -value;
        if (value > INT32_MAX || value < INT32_MIN) return false;
        fields[count++] = static_cast<int32_t>(value);
        p = *end != '\0' ? end + 1 : end;
    }
    if (count < 14) return false;
    header->left = fields[0];
    header->bottom = fields[1];
    header->width = fields[2];
    header->height = fields[3];
    for (int level = 0; level < 4; ++level) {
        header->offsetTableBytes[level] = fields[4 + 2 * level];
        header->tileBytes[level] = fields[5 + 2 * level];
    }
    return true;
}

void closeMapLayer() {
    layerTileFile.close();
    layerOffsetFile.close();
}

void setPyramidLevel(int level) { currentLevel = level; }

int getMapWidth() { return renderWidth; }

int getMapHeight() { return renderHeight; }

}  // namespace imagery
