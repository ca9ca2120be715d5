#include "picture/picture_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include "picture/picture_loader.h"
#include "win/error.h"
#include "win/file_io.h"

namespace plivora {
namespace {

class FileReader : public ByteReader {
public:
    FileReader(std::FILE* file, std::uint64_t size) : m_file(file), m_size(size) {}
    ~FileReader() override { std::fclose(m_file); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::size_t read(void* buffer, std::size_t size) override {
        return std::fread(buffer, 1, size, m_file);
    }
    bool seek(std::uint64_t offset) override {
        return offset <= std::uint64_t(std::numeric_limits<off_t>::max()) &&
               fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
    }
    std::uint64_t size() const override { return m_size; }

private:
    std::FILE* m_file;
    std::uint64_t m_size;
};

class MemoryReader : public ByteReader {
public:
    explicit MemoryReader(std::shared_ptr<const std::string> bytes) : m_bytes(std::move(bytes)) {}

    std::size_t read(void* buffer, std::size_t size) override {
        if (m_offset >= m_bytes->size()) {
            return 0;
        }
        const std::size_t count = std::min<std::size_t>(size, m_bytes->size() - m_offset);
        std::memcpy(buffer, m_bytes->data() + m_offset, count);
        m_offset += count;
        return count;
    }
    bool seek(std::uint64_t offset) override {
        m_offset = offset;
        return true;
    }
    std::uint64_t size() const override { return m_bytes->size(); }

private:
    std::shared_ptr<const std::string> m_bytes;
    std::uint64_t m_offset = 0;
};

}  // namespace

PictureInput PictureInput::fromFile(std::string path) {
    if (path.empty()) {
        throw Error(ErrorNumber::FileNotFound);
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found ||
        error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory) {
        throw Error(ErrorNumber::FileNotFound);
    }
    if (error) {
        throw Error(ErrorNumber::PathFileAccessError);
    }
    if (status.type() != std::filesystem::file_type::regular) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    PictureInput input;
    input.m_path = std::move(path);
    return input;
}

PictureInput PictureInput::fromBytes(std::string bytes) {
    PictureInput input;
    input.m_bytes = std::make_shared<const std::string>(std::move(bytes));
    return input;
}

const std::string& PictureInput::bytes() const {
    static const std::string none;
    return m_bytes ? *m_bytes : none;
}

std::unique_ptr<ByteReader> PictureInput::open() const {
    if (m_bytes) {
        return std::make_unique<MemoryReader>(m_bytes);
    }
    errno = 0;
    std::FILE* file = std::fopen(m_path.c_str(), "rb");
    if (!file) {
        throw openForReadingError(errno);
    }
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        std::fclose(file);
        throw Error(ErrorNumber::PathFileAccessError);
    }
    return std::make_unique<FileReader>(file, static_cast<std::uint64_t>(info.st_size));
}

void checkPictureSize(long long width, long long height) {
    if (width <= 0 || height <= 0) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    // Divided rather than multiplied, so that no pair of sides can overflow.
    if (width > kMaxPicturePixels / height) {
        throw Error(ErrorNumber::OutOfMemory);
    }
}

void checkIconDirectory(const PictureInput& input) {
    constexpr std::uint64_t kHeaderBytes = 6;
    constexpr std::uint64_t kEntryBytes = 16;
    unsigned char head[kHeaderBytes] = {};
    const std::unique_ptr<ByteReader> reader = input.open();
    const std::size_t got = reader->read(head, sizeof head);
    const std::uint64_t count = head[4] | (head[5] << 8);
    if (got < sizeof head || count == 0 || reader->size() < kHeaderBytes + kEntryBytes * count) {
        throw Error(ErrorNumber::InvalidPicture);
    }
}

}  // namespace plivora
