// Runs a fuzz target over the files of the folders named on the command line (its corpus and the
// inputs that once made it fail), in name order, the way libFuzzer runs one input. A finding
// stops the process the way it stops the fuzzer (abort or a sanitizer report); the runner itself
// fails when a folder is missing or empty, so that a moved corpus cannot pass unnoticed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    int total = 0;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path folder = argv[a];
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        if (error || files.empty()) {
            std::fprintf(stderr, "%s: no inputs\n", folder.c_str());
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::vector<std::uint8_t> bytes = readFile(file);
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++total;
        }
        std::printf("%s: %zu inputs\n", folder.c_str(), files.size());
    }
    std::printf("%d inputs ran without a finding\n", total);
    return 0;
}
