// Read-only access to one data file. Every operation reports failure through
// its result and never writes to the toolkit's log: the library logs nothing.
#ifndef OSTRIM_DATA_FILE_H
#define OSTRIM_DATA_FILE_H

#include <wx/file.h>
#include <wx/string.h>

#include <cstddef>
#include <cstdint>

namespace platform {

class DataFile {
public:
    DataFile() = default;
    ~DataFile() { close(); }
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // True when the path names an existing regular file (not a folder, a
    // FIFO or a device).
    static bool exists(const wxString& path);

    // Opens read-only, closing whatever was open before; false, without
    // waiting, for anything that exists() refuses.
    bool open(const wxString& path);
    bool isOpen() const { return file_.IsOpened(); }

    // Absolute position from the start of the file.
    bool seek(int64_t offset);

    // Reads up to size bytes at the current position; returns the number
    // read (0 at the end of the file or on any failure).
    size_t read(void* buffer, size_t size);

    // True only when all size bytes were read.
    bool readExact(void* buffer, size_t size) { return read(buffer, size) == size; }

    // seek followed by readExact.
    bool readAt(int64_t offset, void* buffer, size_t size) {
        return seek(offset) && readExact(buffer, size);
    }

    // Size in bytes, or -1 when no file is open or the size is unknown.
    int64_t length();

    // Safe to call on a closed file, and any number of times.
    void close();

private:
    wxFile file_;
};

}  // namespace platform

#endif
