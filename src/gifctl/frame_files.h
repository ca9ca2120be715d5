#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace plivora {

// A name for a new temporary file: GetTempFileNameA makes a uniquely named empty file in
// `folderPath` (the current folder when empty) from the first three characters of `prefix`, the
// file is deleted at once, and a non-empty `extension` replaces the name's last three characters.
// Throws Error 75 when no file can be made in the folder.
std::string MakeTempFileName(const std::string& folderPath, const std::string& prefix,
                             const std::string& extension);

// The name prefix of frame `frame`'s file: the number with a leading space when it is not
// negative, then a zero character (" 0", " 7", " 12").
std::string frameFilePrefix(int frame);

// One frame's single-image file, written into `folder` and readable through path() for as long
// as the object lives. The file never has a name that could outlive the process: a load ended by
// any signal, SIGKILL included, leaves nothing in the temporary folder, because the kernel drops a
// nameless file with its last descriptor. Where the folder's file system can make nameless files
// (O_TMPFILE) the file never has a name at all. Elsewhere it is created exclusively, never through
// a symbolic link, under a name from MakeTempFileName with the frame's prefix and the extension
// "GIF" (a name that is taken by the time the file is made is given up for a new one), and the
// name is removed right after the open, before anything is written: only a kill between those
// two calls could leave the empty file behind. Either way the file is readable by its owner only.
class FrameFile {
public:
    enum class Kind {
        Unnamed,  // nameless where the file system allows it, else named and removed at once
        Named,    // named and removed at once (what a file system without nameless files gets)
    };

    // Throws Error 75 when no file can be made in the folder, 58 when no free name was found,
    // 57 when a write fails; nothing is left behind then.
    FrameFile(const std::string& folder, int frame,
              std::span<const std::span<const std::uint8_t>> parts, Kind kind = Kind::Unnamed);
    ~FrameFile();
    FrameFile(const FrameFile&) = delete;
    FrameFile& operator=(const FrameFile&) = delete;

    // /proc/self/fd/N: opens the file (from its start) as long as this object holds it open. A
    // Linux system without /proc mounted cannot open it, and the loader reports that.
    const std::string& path() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace plivora
