#include "gifctl/frame_files.h"

#include <filesystem>
#include <system_error>

#include "win/error.h"
#include "win/temp_files.h"

namespace plivora {

namespace {

// How many fresh names writeFrameFile tries before it reports the name as taken.
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

std::string writeFrameFile(const std::string& folder, int frame,
                           std::span<const std::span<const std::uint8_t>> parts) {
    for (int attempt = 1;; ++attempt) {
        std::string name = MakeTempFileName(folder, frameFilePrefix(frame), "GIF");
        try {
            writeNewPrivateFile(name, parts);
            return name;
        } catch (const Error& error) {
            if (error.number() != ErrorNumber::FileAlreadyExists || attempt == kNameAttempts) {
                throw;
            }
        }
    }
}

}  // namespace plivora
