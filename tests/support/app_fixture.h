#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
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
#include "support/files.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "thumbs/form2.h"

namespace plivora {

using testdata::readFile;
using testdata::writeBmp;
using testdata::writeFile;

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
    Form2& thumbs() { return program->form2(); }

    // Fills the current folder with `count` small pictures, p001.bmp onwards.
    void makePictures(int count) {
        for (int i = 1; i <= count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "p%03d.bmp", i);
            writeBmp(picturesDir + "/" + name, 2, 2);
        }
    }

    // A GIF of two 2 x 2 frames, red then green; `cut` bytes short of its end, or with no image
    // at all for a cut of -1.
    static void writeGif(const std::string& path, int cut = 0) {
        using namespace gif_bytes;
        const Bytes head = join({header(), screen(2, 2, 0x80), {255, 0, 0, 0, 255, 0}});
        Bytes file = cut < 0 ? join({head, kTrailer})
                             : join({head, graphicControl(1, false, 10, 0), descriptor(0, 0, 2, 2),
                                     imageData(2, {0, 0, 0, 0}), graphicControl(1, false, 10, 0),
                                     descriptor(0, 0, 2, 2), imageData(2, {1, 1, 1, 1}), kTrailer});
        file.resize(file.size() - static_cast<std::size_t>(std::max(cut, 0)));
        writeFile(path, std::string(file.begin(), file.end()));
    }

    // Faces that a test tells apart by identity must be real pictures and different ones: two
    // missing pictures would compare equal and hide the fault.
    static void expectDistinctFaces(const std::vector<Picture>& faces) {
        for (std::size_t i = 0; i < faces.size(); ++i) {
            EXPECT_FALSE(faces[i].isNull()) << "face " << i;
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_FALSE(faces[i] == faces[j]) << "faces " << j << " and " << i;
            }
        }
    }
    std::string settingsPath() const { return appDir + "/qeliv.ini"; }

    TempFolder tempFolder;
    HeadlessHost host;
    std::unique_ptr<Program> program;
    const std::string root = tempFolder.path();
    std::string appDir;
    std::string picturesDir;
    std::string thumbnailFolder;  // no thumbnail cache unless a test sets one
};

}  // namespace plivora
