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
#include "support/bmp_file.h"
#include "support/temp_folder.h"

namespace plivora {

using testdata::writeBmp;

// A fresh program on the headless host, with a program folder and a current folder of its own
// under a temporary folder that the test fills.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
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

    TempFolder tempFolder;
    HeadlessHost host;
    std::unique_ptr<Program> program;
    const std::string root = tempFolder.path();
    std::string appDir;
    std::string picturesDir;
    std::string thumbnailFolder;  // no thumbnail cache unless a test sets one
};

}  // namespace plivora
