#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plivora {

class Error;

// Reading a file, and the errors a failing file call is reported with. The same errno value is
// reported differently by what was asked of the file, so each kind of call has its own mapping;
// every place that calls the system for a file takes its error from here.

// Opening a file to read it: 53 "File not found" when nothing is at the path or a folder on the
// way is not one (ENOENT, ENOTDIR), 75 "Path/File access error" for any other reason.
Error openForReadingError(int errnoValue);
// A file that exists but may not be read: 70 "Permission denied" when access is refused
// (EACCES), 75 for any other reason.
Error readAccessError(int errnoValue);
// Creating a new file that must not exist yet: 58 "File already exists" (EEXIST), 75 otherwise.
Error createNewFileError(int errnoValue);
// Opening, reading or writing a file the program keeps (a record file): 76 "Path not found"
// (ENOENT, ENOTDIR), 70 "Permission denied" (EACCES, EPERM, EROFS), 75 for a folder (EISDIR) and
// 57 "Device I/O error" for anything else.
Error keptFileError(int errnoValue);

// A regular file opened for reading, closed when it goes.
class ReadableFile {
public:
    // Throws openForReadingError when the open fails and 75 when the path names something other
    // than a regular file (a folder, a device, a pipe).
    explicit ReadableFile(const std::string& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    // The file's length in bytes when it was opened.
    std::int64_t size() const { return m_size; }

    // Reads up to `size` bytes from where the last read ended; fewer only at the end of the
    // file. A read interrupted by a signal is resumed. Error 57 when a read fails.
    std::size_t read(std::uint8_t* buffer, std::size_t size);

    // Appends the rest of the file to `bytes`, which holds what was read before: up to the length
    // the file had when it was opened, less if it shrank meanwhile (what was there is kept).
    // Error 7 "Out of memory" when that length is above `maxBytes`, checked before any memory is
    // taken; the errors of read.
    void readRest(std::vector<std::uint8_t>& bytes, std::int64_t maxBytes);

private:
    int m_fd = -1;
    std::int64_t m_size = 0;
};

}  // namespace plivora
