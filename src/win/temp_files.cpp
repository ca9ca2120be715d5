#include "win/temp_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "win/error.h"
#include "win/file_io.h"

namespace plivora {

namespace {

// Opens a new file for writing (or `access`): exclusive, no link followed, owner-only.
int openNew(const std::string& path, int access = O_WRONLY) {
    return ::open(path.c_str(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  S_IRUSR | S_IWUSR);
}

std::string formName(const std::string& pathName, const std::string& prefix, unsigned unique) {
    std::string folder = pathName;
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    std::string shortPrefix = prefix.substr(0, prefix.find('\0')).substr(0, 3);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", unique & 0xFFFFu);
    return folder + shortPrefix + hex + ".TMP";
}

// Where the search for a free number begins: the low bits of a clock mixed with the process id,
// so that two processes seldom start on the same number. Never 0.
unsigned startingNumber() {
    auto ticks = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count() /
                                       1000000);
    unsigned number = (ticks ^ static_cast<unsigned>(::getpid()) * 2654435761u) & 0xFFFFu;
    return number == 0 ? 1 : number;
}

}  // namespace

std::string GetTempPathA() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string folder = (tmpdir != nullptr && *tmpdir != '\0') ? tmpdir : "/tmp";
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

unsigned GetTempFileNameA(const std::string& pathName, const std::string& prefix, unsigned unique,
                          std::string& tempFileName) {
    if (unique != 0) {
        tempFileName = formName(pathName, prefix, unique);
        return unique;
    }
    unsigned number = startingNumber();
    for (unsigned tries = 0; tries < 0xFFFFu; ++tries) {
        std::string name = formName(pathName, prefix, number);
        int fd = openNew(name);
        if (fd >= 0) {
            ::close(fd);
            tempFileName = name;
            return number;
        }
        if (errno != EEXIST) {
            return 0;
        }
        number = number == 0xFFFFu ? 1 : number + 1;
    }
    return 0;
}

int createNewPrivateFile(const std::string& path) {
    const int fd = openNew(path, O_RDWR);
    if (fd < 0) {
        throw createNewFileError(errno);
    }
    return fd;
}

int createUnnamedPrivateFile(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR) {
        throw Error(ErrorNumber::PathFileAccessError);
    }
    return fd;
}

void writeParts(int fd, std::span<const std::span<const std::uint8_t>> parts) {
    for (std::span<const std::uint8_t> part : parts) {
        std::size_t written = 0;
        while (written < part.size()) {
            ssize_t n = ::write(fd, part.data() + written, part.size() - written);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                throw Error(ErrorNumber::DeviceIoError);
            }
            written += static_cast<std::size_t>(n);
        }
    }
}

void writeNewPrivateFile(const std::string& path,
                         std::span<const std::span<const std::uint8_t>> parts) {
    int fd = openNew(path);
    if (fd < 0) {
        throw createNewFileError(errno);
    }
    try {
        writeParts(fd, parts);
    } catch (const Error&) {
        ::close(fd);
        ::unlink(path.c_str());
        throw;
    }
    if (::close(fd) != 0) {
        ::unlink(path.c_str());
        throw Error(ErrorNumber::DeviceIoError);
    }
}

bool deleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

}  // namespace plivora
