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

// Writes one frame file into `folder` under a name from MakeTempFileName with the frame's prefix
// and the extension "GIF", and returns the name. The file is created exclusively, never through a
// symbolic link, readable by the owner only; a name that is taken by the time the file is made
// is given up for a new one. Throws what writeNewPrivateFile throws when the file cannot be
// written (nothing is left behind then).
std::string writeFrameFile(const std::string& folder, int frame,
                           std::span<const std::span<const std::uint8_t>> parts);

}  // namespace plivora
