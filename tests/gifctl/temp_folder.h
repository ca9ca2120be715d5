#pragma once

// A fresh folder for one test, used as the temporary folder (TMPDIR) while the test runs.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace plivora {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plivora-test-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data());
        std::filesystem::create_directory(tmp());
        std::filesystem::create_directory(data());
        if (const char* previous = std::getenv("TMPDIR")) {
            m_previousTmpdir = previous;
        }
        ::setenv("TMPDIR", tmp().c_str(), 1);
    }
    ~TempFolder() {
        if (m_previousTmpdir) {
            ::setenv("TMPDIR", m_previousTmpdir->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder TMPDIR points at.
    std::string tmp() const { return m_root + "/tmp"; }
    // A folder for the test's own files.
    std::string data() const { return m_root + "/data"; }

    // The names in the temporary folder.
    std::set<std::string> tmpEntries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(tmp())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string m_root;
    std::optional<std::string> m_previousTmpdir;
};

}  // namespace plivora
