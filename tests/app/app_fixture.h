#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "headless/headless_host.h"

namespace plivora {

// A fresh program on the headless host, with a program folder and a current folder of its own
// under a temporary folder that the test fills.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/plivora-app-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
        appDir = root + "/app";
        picturesDir = root + "/pictures";
        std::filesystem::create_directories(appDir);
        std::filesystem::create_directories(picturesDir);
        host.setDrives({{"/", "/"}});
    }

    void TearDown() override {
        // A test that expects a handler to fail looks at the record and clears it.
        for (const HeadlessHost::HandlerFailure& failure : host.handlerFailures()) {
            ADD_FAILURE() << "a handler of " << failure.control << " failed: " << failure.number
                          << " " << failure.description;
        }
        program.reset();
        std::error_code ignored;
        std::filesystem::permissions(appDir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }

    Program& start() {
        program = std::make_unique<Program>(
            host, ProgramPaths{picturesDir, appDir, ",", std::string(), thumbnailFolder});
        program->start();
        return *program;
    }

    Form1& form1() { return program->form1(); }
    std::string settingsPath() const { return appDir + "/qeliv.ini"; }

    static void writeFile(const std::string& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    HeadlessHost host;
    std::unique_ptr<Program> program;
    std::string root;
    std::string appDir;
    std::string picturesDir;
    std::string thumbnailFolder;  // no thumbnail cache unless a test sets one
};

}  // namespace plivora

namespace plivora {

// Writes a 24-bit uncompressed BMP of the given size, filled with one colour.
inline void writeBmp(const std::string& path, int width, int height, std::uint8_t r = 200,
                     std::uint8_t g = 100, std::uint8_t b = 50) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * height);
    std::string out;
    auto u16 = [&](std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out += static_cast<char>(b);
            out += static_cast<char>(g);
            out += static_cast<char>(r);
        }
        out.append(static_cast<std::size_t>(rowBytes - width * 3), '\0');
    }
    std::ofstream(path, std::ios::binary) << out;
}

}  // namespace plivora
