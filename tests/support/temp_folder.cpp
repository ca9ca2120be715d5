#include "support/temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace plivora {

namespace fs = std::filesystem;

TempFolder::TempFolder(Tmpdir tmpdir) {
    std::string pattern = (fs::temp_directory_path() / "plivora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "no temporary folder: " + pattern);
    }
    m_path = pattern;
    if (tmpdir == Tmpdir::PointHere) {
        if (const char* previous = std::getenv("TMPDIR")) {
            m_previousTmpdir = previous;
        }
        ::setenv("TMPDIR", m_path.c_str(), 1);
        m_tmpdirSet = true;
    }
}

TempFolder::~TempFolder() {
    if (m_tmpdirSet && m_previousTmpdir) {
        ::setenv("TMPDIR", m_previousTmpdir->c_str(), 1);
    } else if (m_tmpdirSet) {
        ::unsetenv("TMPDIR");
    }
    // Tests make folders read-only to see writes refused; the owner may always open them again.
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(m_path, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(m_path, ignored);
}

std::set<std::string> TempFolder::entries() const {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_path)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace plivora
