#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace plivora {

// The temporary folder, ending in '/': TMPDIR when it is set and not empty, otherwise /tmp.
std::string GetTempPathA();

// Forms the name <folder>/<prefix><unique>.TMP, where the prefix is at most the first three
// characters of `prefix` (up to a zero character) and <unique> the number in upper-case hex.
// With `unique` 0 a number is picked and a new empty file of that name is created exclusively
// (never through a symbolic link, readable by the owner only), the next number being tried while
// a name is taken; the result is the number used, or 0 when no file could be created. With any
// other `unique` the name is only formed, nothing is created, and the result is `unique`.
unsigned GetTempFileNameA(const std::string& pathName, const std::string& prefix, unsigned unique,
                          std::string& tempFileName);

// Creates a new file and writes the parts into it one after the other. The file is created
// exclusively, never through a symbolic link, with mode 0600. Throws Error 58 "File already
// exists" when the name is taken (a link included), 75 when the file cannot be created and 57
// when a write fails (the partial file is removed then).
void writeNewPrivateFile(const std::string& path,
                         std::span<const std::span<const std::uint8_t>> parts);

// Opens a new file for reading and writing, created exclusively, never through a symbolic link,
// with mode 0600; returns its descriptor. Throws Error 58 when the name is taken (a link
// included), 75 when the file cannot be created.
int createNewPrivateFile(const std::string& path);

// Opens a new file in `folder` that has no name (O_TMPFILE), for reading and writing, mode 0600,
// and returns its descriptor. No other process can open it, and it is gone with its last
// descriptor however the process ends. -1 with errno EOPNOTSUPP or EISDIR when the folder's file
// system (or the kernel) makes no such files; throws Error 75 for any other failure.
int createUnnamedPrivateFile(const std::string& folder);

// Writes the parts one after the other to an open file. Throws Error 57 when a write fails; the
// descriptor stays open.
void writeParts(int fd, std::span<const std::span<const std::uint8_t>> parts);

// Removes a file; false when there was nothing to remove or it could not be removed.
bool deleteFile(const std::string& path);

}  // namespace plivora
