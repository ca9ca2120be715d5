#include "win/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "win/error.h"

namespace plivora {

Error openForReadingError(int errnoValue) {
    return Error(errnoValue == ENOENT || errnoValue == ENOTDIR ? ErrorNumber::FileNotFound
                                                               : ErrorNumber::PathFileAccessError);
}

Error readAccessError(int errnoValue) {
    return Error(errnoValue == EACCES ? ErrorNumber::PermissionDenied
                                      : ErrorNumber::PathFileAccessError);
}

Error createNewFileError(int errnoValue) {
    if (errnoValue == EEXIST) {
        return Error(ErrorNumber::FileAlreadyExists);
    }
    return Error(ErrorNumber::PathFileAccessError);
}

Error keptFileError(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
        case ENOTDIR:
            return Error(ErrorNumber::PathNotFound);
        case EACCES:
        case EPERM:
        case EROFS:
            return Error(ErrorNumber::PermissionDenied);
        case EISDIR:
            return Error(ErrorNumber::PathFileAccessError);
        default:
            return Error(ErrorNumber::DeviceIoError);
    }
}

ReadableFile::ReadableFile(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (m_fd < 0) {
        throw openForReadingError(errno);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        throw Error(ErrorNumber::PathFileAccessError);
    }
    m_size = static_cast<std::int64_t>(info.st_size);
}

ReadableFile::~ReadableFile() {
    ::close(m_fd);
}

std::size_t ReadableFile::read(std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(m_fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw Error(ErrorNumber::DeviceIoError);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void ReadableFile::readRest(std::vector<std::uint8_t>& bytes, std::int64_t maxBytes) {
    if (m_size > maxBytes) {
        throw Error(ErrorNumber::OutOfMemory);
    }
    const std::size_t before = bytes.size();
    bytes.resize(std::max(static_cast<std::size_t>(m_size), before));
    bytes.resize(before + read(bytes.data() + before, bytes.size() - before));
}

}  // namespace plivora
