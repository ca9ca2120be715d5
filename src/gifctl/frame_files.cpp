#include "gifctl/frame_files.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "win/error.h"
#include "win/temp_files.h"

namespace plivora {

namespace {

// How many fresh names a named frame file tries before it reports the name as taken.
constexpr int kNameAttempts = 100;

}  // namespace

std::string MakeTempFileName(const std::string& folderPath, const std::string& prefix,
                             const std::string& extension) {
    std::string folder = folderPath;
    if (folder.empty()) {
        std::error_code error;
        folder = std::filesystem::current_path(error).string();
    }
    std::string name;
    if (GetTempFileNameA(folder, prefix, 0, name) == 0) {
        throw Error(ErrorNumber::PathFileAccessError);
    }
    deleteFile(name);
    if (!extension.empty()) {
        name.replace(name.size() - 3, 3, extension);
    }
    return name;
}

std::string frameFilePrefix(int frame) {
    std::string number = std::to_string(frame);
    return (frame >= 0 ? " " + number : number) + std::string(1, '\0');
}

namespace {

// Creates the frame's file under a fresh name and removes the name at once; the descriptor.
int createNamedAndRemoved(const std::string& folder, int frame) {
    for (int attempt = 1;; ++attempt) {
        const std::string name = MakeTempFileName(folder, frameFilePrefix(frame), "GIF");
        try {
            const int fd = createNewPrivateFile(name);
            deleteFile(name);
            return fd;
        } catch (const Error& error) {
            if (error.number() != ErrorNumber::FileAlreadyExists || attempt == kNameAttempts) {
                throw;
            }
        }
    }
}

}  // namespace

FrameFile::FrameFile(const std::string& folder, int frame,
                     std::span<const std::span<const std::uint8_t>> parts, Kind kind) {
    if (kind == Kind::Unnamed) {
        m_fd = createUnnamedPrivateFile(folder.empty() ? "." : folder);
    }
    if (m_fd < 0) {
        m_fd = createNamedAndRemoved(folder, frame);
    }
    try {
        writeParts(m_fd, parts);
    } catch (const Error&) {
        ::close(m_fd);
        throw;
    }
    // The loader opens the file anew by this path, so it reads from the start whatever the
    // writes left the descriptor's offset at.
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
}

FrameFile::~FrameFile() {
    // The file has no name, so closing it is its removal. A failed close of a file only read
    // from here on loses nothing.
    ::close(m_fd);
}

}  // namespace plivora
