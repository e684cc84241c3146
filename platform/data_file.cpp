#include "data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/log.h>

namespace platform {

// Paths are passed to the system as the UTF-8 the caller gave. The
// conversion gives null, which names no file, when it finds no memory; the
// toolkit's conversion for file names does not survive that.

bool DataFile::exists(const wxString& path) {
    struct stat status {};
    return !path.empty() && ::stat(path.utf8_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool DataFile::open(const wxString& path) {
    close();
    if (path.empty()) return false;
    // Opening a FIFO or a device for reading may wait for ever (for a
    // writer, for a medium); opened without waiting, anything but a regular
    // file is refused before it is read.
    const int fd = ::open(path.utf8_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    file_.Attach(fd);
    return true;
}

bool DataFile::seek(int64_t offset) {
    if (!file_.IsOpened() || offset < 0) return false;
    wxLogNull quiet;
    return file_.Seek(static_cast<wxFileOffset>(offset), wxFromStart) == offset;
}

size_t DataFile::read(void* buffer, size_t size) {
    if (!file_.IsOpened() || buffer == nullptr) return 0;
    wxLogNull quiet;
    // A single read may come back short for large blocks; keep going until
    // the request is met or the file ends.
    auto* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        size_t chunk = size - done;
        if (chunk > (size_t{1} << 30)) chunk = size_t{1} << 30;
        ssize_t got = file_.Read(out + done, chunk);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

int64_t DataFile::length() {
    if (!file_.IsOpened()) return -1;
    wxLogNull quiet;
    wxFileOffset size = file_.Length();
    return size == wxInvalidOffset ? -1 : static_cast<int64_t>(size);
}

void DataFile::close() {
    if (!file_.IsOpened()) return;
    wxLogNull quiet;
    file_.Close();
}

}  // namespace platform
