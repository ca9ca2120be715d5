#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plivora {

// A file of fixed-length binary records numbered from 1, opened for reading and writing. Opening
// creates the file, empty, when it does not exist; a file that may be read but not written opens
// for reading only, and writing to it fails with "Permission denied". Reading a record that lies
// wholly or partly beyond the end of the file gives zero bytes for the missing part; writing a
// record beyond the end lengthens the file, and the gap reads as zero bytes. Failures throw Error.
class RecordFile {
public:
    RecordFile(const std::string& path, int recordLength);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    std::vector<std::uint8_t> read(int recordNumber) const;
    void write(int recordNumber, const std::vector<std::uint8_t>& bytes);
    void close();

private:
    int m_fd = -1;
    int m_recordLength = 0;
    bool m_writable = true;
};

}  // namespace plivora
