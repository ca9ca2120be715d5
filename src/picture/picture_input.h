#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace plivora {

// Reads a picture's bytes, from the first byte on or from any offset.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Fills up to `size` bytes and returns how many it got; fewer only at the end or on a fault.
    virtual std::size_t read(void* buffer, std::size_t size) = 0;
    // Moves to `offset` (the end and beyond are allowed; reads there give nothing).
    virtual bool seek(std::uint64_t offset) = 0;
    virtual std::uint64_t size() const = 0;
};

// The bytes a picture is decoded from: a file, opened afresh for every decode so that a picture
// can decode its full pixels later, or bytes held in memory for as long as the picture lives.
// Copies share the bytes.
class PictureInput {
public:
    // Throws Error 53 when nothing exists at the path (a missing folder included) and 481 when
    // the path names something other than a regular file (a folder, a device, a pipe): that can
    // never be a picture, and opening a pipe would block.
    static PictureInput fromFile(std::string path);
    static PictureInput fromBytes(std::string bytes);

    bool isFile() const { return !m_bytes; }
    const std::string& path() const { return m_path; }
    const std::string& bytes() const;  // empty for a file

    // A reader from the first byte. Throws Error 53 when the file vanished, 75 when it cannot be
    // opened for another reason (permission, I/O).
    std::unique_ptr<ByteReader> open() const;

private:
    std::string m_path;
    std::shared_ptr<const std::string> m_bytes;
};

// Checks a size read from a file before any pixel memory is taken for it: Error 481 when a side
// is not positive, 7 when width x height exceeds kMaxPicturePixels.
void checkPictureSize(long long width, long long height);

// Checks that an icon or cursor file holds its whole directory (a 6-byte header whose last word
// counts the images, then 16 bytes for each) before a decoder walks it: Error 481 when the file
// is shorter or counts no image. QtGui's reader refuses such a file too, but only after it has
// sought to and read each of up to 65535 missing entries one at a time.
void checkIconDirectory(const PictureInput& input);

}  // namespace plivora
