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
        program.reset();
        std::error_code ignored;
        std::filesystem::permissions(appDir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(root, ignored);
    }

    Program& start() {
        program = std::make_unique<Program>(host, ProgramPaths{picturesDir, appDir, ","});
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
};

}  // namespace plivora
