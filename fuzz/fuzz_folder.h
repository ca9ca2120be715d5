#pragma once

// The private temporary folder of one fuzzing process. It is made on first use and TMPDIR points
// at it from then on, so that every temporary file the code under test makes lands here and a
// file left behind is seen after the input that left it. The folder goes when the process ends
// normally.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace plivora::fuzz {

class FuzzFolder {
public:
    // The process's folder, made and set as TMPDIR on the first call.
    static FuzzFolder& instance() {
        static FuzzFolder folder;
        return folder;
    }

    // Writes one input as the file the code under test reads; the same name every time.
    const std::string& writeInput(const std::uint8_t* data, std::size_t size) {
        std::ofstream out(m_inputPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) {
            std::fprintf(stderr, "fuzz: cannot write %s\n", m_inputPath.c_str());
            std::abort();
        }
        return m_inputPath;
    }

    // Stops the process when anything besides the input file is in the folder: the code under
    // test left a temporary file behind.
    void expectOnlyInput() const {
        std::vector<std::string> strays;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            if (entry.path().filename() != kInputName) {
                strays.push_back(entry.path().filename().string());
            }
        }
        if (!strays.empty()) {
            for (const std::string& name : strays) {
                std::fprintf(stderr, "fuzz: temporary file left behind: %s\n", name.c_str());
            }
            std::abort();
        }
    }

    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

private:
    static constexpr const char* kInputName = "input.bin";

    FuzzFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plivora-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("fuzz: mkdtemp");
            std::abort();
        }
        m_path = pattern;
        m_inputPath = m_path + "/" + kInputName;
        ::setenv("TMPDIR", m_path.c_str(), 1);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string m_path;
    std::string m_inputPath;
};

}  // namespace plivora::fuzz
