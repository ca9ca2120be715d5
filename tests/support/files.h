#pragma once

#include <filesystem>
#include <string>

namespace plivora::testdata {

// The bytes of a file as they are, none added or lost.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
// The whole file; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

}  // namespace plivora::testdata
