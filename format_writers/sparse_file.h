// Files written piece by piece at absolute offsets. Space that is never
// written stays a hole: a cell index of the whole 4501 x 4501 grid or a
// shape file whose first point lies past 2 GiB costs only the bytes used.
#ifndef OSTRIM_SPARSE_FILE_H
#define OSTRIM_SPARSE_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace writers {

// Creates (or empties) the file and sets its size; every byte reads as 0.
bool createSparseFile(const std::string& path, int64_t size);

// Writes bytes at offset into an existing file, extending it if needed.
bool writeBytesAt(const std::string& path, int64_t offset, const std::vector<uint8_t>& bytes);

}  // namespace writers

#endif
