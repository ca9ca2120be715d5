#pragma once

#include <optional>
#include <set>
#include <string>

namespace plivora {

// A fresh, empty folder of one test's own under the system's temporary folder, removed with all it
// holds when the object goes. Asked to, it also serves as the temporary folder (TMPDIR) while it
// lives, and puts back the TMPDIR it found.
class TempFolder {
public:
    enum class Tmpdir { Keep, PointHere };

    explicit TempFolder(Tmpdir tmpdir = Tmpdir::Keep);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // The names in the folder itself, not those in its subfolders.
    std::set<std::string> entries() const;

private:
    std::string m_path;
    bool m_tmpdirSet = false;
    std::optional<std::string> m_previousTmpdir;
};

}  // namespace plivora
