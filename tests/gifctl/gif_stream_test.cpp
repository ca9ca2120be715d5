#include "gifctl/gif_stream.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/gif_bytes.h"
#include "win/error.h"

namespace plivora {
namespace {

using namespace gif_bytes;

// Header, screen and a four-entry global table: 0 red, 1 green, 2 blue, 3 white (25 bytes).
const Bytes kHeaderPart = join({
    header("89a"),
    screen(4, 2, 0x81),  // global table present, size code 1: four entries
    {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255},
});

// Frame 0: looping extension, graphic control (disposal 1, delay 10), a 4 x 2 image.
const Bytes kLoop = loopingExtension();
const Bytes kControl0 = graphicControl(1, false, 10, 0);
const Bytes kImage0 = join({descriptor(0, 0, 4, 2), imageData(2, {0, 1, 2, 3, 3, 2, 1, 0})});
// Frame 1: a comment, graphic control (disposal 2, delay 20, transparent index 3), 2 x 2 at (1, 0).
const Bytes kComment = comment("between");
const Bytes kControl1 = graphicControl(2, true, 20, 3);
const Bytes kImage1 = join({descriptor(1, 0, 2, 2), imageData(2, {3, 0, 0, 3})});
// Frame 2: no graphic control, 1 x 1.
const Bytes kImage2 = join({descriptor(0, 0, 1, 1), imageData(2, {2})});
// After the last image: a comment and a graphic control that no image follows.
const Bytes kTail = join({comment("tail"), graphicControl(3, true, 99, 1)});

const Bytes kThreeFrames = join({kHeaderPart, kLoop, kControl0, kImage0, kComment, kControl1,
                                 kImage1, kImage2, kTail, kTrailer});

// A segment's file: the header part, the segment (its image data's terminator included here)
// and the three bytes after the terminator.
Bytes expectedFrameFile(const Bytes& headerPart, std::initializer_list<Bytes> segment) {
    Bytes file = headerPart;
    for (const Bytes& part : segment) {
        file.insert(file.end(), part.begin(), part.end());
    }
    file.insert(file.end(), {0x21, 0xF9, 0x3B});
    return file;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

TEST(GifSignature, AnyGif8PrefixPassesAndOtherFilesDoNot) {
    EXPECT_TRUE(hasGifSignature(text("GIF87a")));
    EXPECT_TRUE(hasGifSignature(text("GIF89a")));
    EXPECT_TRUE(hasGifSignature(text("GIF8zz")));
    EXPECT_FALSE(hasGifSignature(Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A}));
    EXPECT_FALSE(hasGifSignature(Bytes{0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_FALSE(hasGifSignature(text("gif89a")));
    try {
        hasGifSignature(text("GIF"));
        FAIL() << "a three-byte file has no signature to compare";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::SubscriptOutOfRange);
    }
}

TEST(GifWalk, ScreenValuesComeFromTheDescriptor) {
    Bytes file = join({header("87a"), {0x2C, 0x01, 0x90, 0x00, 0xD3, 7, 9}, kTrailer});
    // width 300, height 144, flags 0xD3: table present, resolution 5, not sorted, size code 3.
    file.insert(file.begin() + 13, 48, 0);  // the 16-entry global table
    GifStream stream = walkGifStream(file, true);
    EXPECT_EQ(stream.screen.width, 300);
    EXPECT_EQ(stream.screen.height, 144);
    EXPECT_TRUE(stream.screen.hasGlobalTable);
    EXPECT_EQ(stream.screen.colourResolution, 5);
    EXPECT_FALSE(stream.screen.globalTableSorted);
    EXPECT_EQ(stream.screen.globalTableSizeCode, 3);
    EXPECT_EQ(stream.screen.backgroundIndex, 7);
    EXPECT_EQ(stream.screen.pixelAspectRatio, 9);
    EXPECT_EQ(stream.frameCount(), 0);
}

TEST(GifWalk, FindsEveryImageWithItsRecord) {
    GifStream stream = walkGifStream(kThreeFrames, true);
    ASSERT_EQ(stream.frameCount(), 3);

    struct Expected {
        int left, top, width, height, delay, disposal;
        bool transparent;
        int transparentIndex;
    };
    const Expected expected[] = {
        {0, 0, 4, 2, 10, 1, false, 0},
        {1, 0, 2, 2, 20, 2, true, 3},
        {0, 0, 1, 1, 0, 0, false, 0},  // no graphic control: nothing carried over from frame 1
    };
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        const GifFrameRecord& r = stream.records[static_cast<std::size_t>(k)];
        EXPECT_EQ(r.left, expected[k].left);
        EXPECT_EQ(r.top, expected[k].top);
        EXPECT_EQ(r.width, expected[k].width);
        EXPECT_EQ(r.height, expected[k].height);
        EXPECT_EQ(r.delay, expected[k].delay);
        EXPECT_EQ(r.disposalMethod, expected[k].disposal);
        EXPECT_EQ(r.hasTransparency, expected[k].transparent);
        EXPECT_EQ(r.transparentIndex, expected[k].transparentIndex);
        EXPECT_EQ(r.lzwMinimumCodeSize, 2);
        EXPECT_FALSE(r.hasLocalTable);
    }
    // The trailing graphic control opened a record that no image completed.
    EXPECT_EQ(stream.records.size(), 4u);
    EXPECT_EQ(stream.records[3].delay, 99);
}

TEST(GifWalk, GraphicControlFieldsAndTheLastOfTwoBlocksWin) {
    // Packed 0x1F: disposal 7, user input, transparency. Delay 0xFFFF is the unsigned 65535.
    Bytes first = {0x21, 0xF9, 0x04, 0x1F, 0xFF, 0xFF, 0x05, 0x00};
    Bytes second = graphicControl(3, false, 300, 0);
    GifStream stream =
        walkGifStream(join({kHeaderPart, first, descriptor(0, 0, 1, 1), imageData(2, {0}), second,
                            descriptor(0, 0, 1, 1), imageData(2, {0}), kTrailer}),
                      true);
    ASSERT_EQ(stream.frameCount(), 2);
    const GifFrameRecord& r = stream.records[0];
    EXPECT_EQ(r.disposalMethod, 7);
    EXPECT_TRUE(r.userInput);
    EXPECT_TRUE(r.hasTransparency);
    EXPECT_EQ(r.delay, 65535);
    EXPECT_EQ(r.transparentIndex, 5);
    EXPECT_EQ(r.packed, 0x00) << "the descriptor's packed byte replaces the control's";

    GifStream twice = walkGifStream(
        join({kHeaderPart, first, second, descriptor(0, 0, 1, 1), imageData(2, {0}), kTrailer}),
        true);
    EXPECT_EQ(twice.records[0].disposalMethod, 3);
    EXPECT_EQ(twice.records[0].delay, 300);
    EXPECT_FALSE(twice.records[0].hasTransparency);
    EXPECT_FALSE(twice.records[0].userInput);
}

TEST(GifFrameFiles, EachFileIsTheHeaderItsSegmentAndFourClosingBytes) {
    GifStream stream = walkGifStream(kThreeFrames, true);
    // The looping extension belongs to frame 0 only; the comment goes with the image after it;
    // the tail after the last image is in no file.
    EXPECT_EQ(frameFileBytes(stream, 0),
              expectedFrameFile(kHeaderPart, {kLoop, kControl0, kImage0}));
    EXPECT_EQ(frameFileBytes(stream, 1),
              expectedFrameFile(kHeaderPart, {kComment, kControl1, kImage1}));
    EXPECT_EQ(frameFileBytes(stream, 2), expectedFrameFile(kHeaderPart, {kImage2}));

    const Bytes closing = {0x00, 0x21, 0xF9, 0x3B};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        Bytes file = frameFileBytes(stream, k);
        EXPECT_TRUE(std::equal(kHeaderPart.begin(), kHeaderPart.end(), file.begin()));
        EXPECT_TRUE(std::equal(closing.begin(), closing.end(), file.end() - 4));
        EXPECT_EQ(contains(file, text("NETSCAPE2.0")), k == 0);
        EXPECT_EQ(contains(file, text("between")), k == 1);
        EXPECT_FALSE(contains(file, text("tail")));
    }
}

// A colour profile block before the first image goes into every later frame's file too, right
// after the header, so that every frame is decoded in the file's colours.
TEST(GifFrameFiles, EveryFrameCarriesTheFilesColourProfile) {
    const Bytes profile = join({{0x21, 0xFF, 0x0B},
                                text("ICCRGBG1012"),
                                {0x04},
                                text("icc!"),
                                {0x03},
                                text("end"),
                                {0x00}});
    const GifStream stream = walkGifStream(
        join({kHeaderPart, profile, kControl0, kImage0, kControl1, kImage1, kImage2, kTrailer}),
        false);
    EXPECT_EQ(frameFileBytes(stream, 0),
              expectedFrameFile(kHeaderPart, {profile, kControl0, kImage0}));
    EXPECT_EQ(frameFileBytes(stream, 1),
              expectedFrameFile(kHeaderPart, {profile, kControl1, kImage1}));
    EXPECT_EQ(frameFileBytes(stream, 2), expectedFrameFile(kHeaderPart, {profile, kImage2}));
}

TEST(GifWalk, ALocalTableIsReadFromAfterTheDescriptor) {
    const Bytes localTable = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // size code 1
    Bytes file = join({header("87a"), screen(2, 1, 0x00),              // no global table
                       descriptor(0, 0, 2, 1, 0x81), localTable,       // local, size code 1
                       imageData(3, {0, 1}), kTrailer});               // LZW code size 3
    GifStream stream = walkGifStream(file, true);
    ASSERT_EQ(stream.frameCount(), 1);
    const GifFrameRecord& r = stream.records[0];
    EXPECT_TRUE(r.hasLocalTable);
    EXPECT_EQ(r.localTableSizeCode, 1);
    EXPECT_EQ(r.localTable, localTable);
    EXPECT_EQ(r.lzwMinimumCodeSize, 3);
    EXPECT_TRUE(contains(frameFileBytes(stream, 0), localTable));

    Bytes flags = join({kHeaderPart, descriptor(0, 0, 1, 1, 0x60), imageData(2, {0}), kTrailer});
    GifStream flagged = walkGifStream(flags, true);
    const GifFrameRecord& plain = flagged.records[0];
    EXPECT_TRUE(plain.interlaced);
    EXPECT_TRUE(plain.localTableSorted);
    EXPECT_FALSE(plain.hasLocalTable);
}

// The table of the recolouring example: entry 0 transparent (10, 20, 30), entry 1 the same
// colour, entry 2 white, entry 3 black.
const Bytes kCollidingTable = {10, 20, 30, 10, 20, 30, 255, 255, 255, 0, 0, 0};
const Bytes kRecolouredTable = {5, 10, 15, 10, 20, 30, 255, 255, 255, 0, 0, 0};

TEST(GifRecolour, ASharedGlobalEntryIsRecolouredInTheTransparentFramesFileOnly) {
    Bytes headerPart = join({header(), screen(2, 1, 0x81), kCollidingTable});
    Bytes recolouredHeader = join({header(), screen(2, 1, 0x81), kRecolouredTable});
    // Frame 0 keys on entry 0; frame 1 draws entry 0 as an opaque colour; frame 2 keys on it too.
    Bytes file = join({headerPart, graphicControl(1, true, 0, 0), descriptor(0, 0, 2, 1),
                       imageData(2, {0, 1}), descriptor(0, 0, 2, 1), imageData(2, {1, 0}),
                       graphicControl(1, true, 0, 0), descriptor(0, 0, 2, 1), imageData(2, {0, 2}),
                       kTrailer});
    GifStream stream = walkGifStream(file, true);
    EXPECT_EQ(stream.fileImage, file) << "the file's own global table stays as it is";
    EXPECT_TRUE(std::equal(kCollidingTable.begin(), kCollidingTable.end(),
                           stream.screen.globalTable.begin()));
    const Bytes* expectedHeader[] = {&recolouredHeader, &headerPart, &recolouredHeader};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        Bytes frame = frameFileBytes(stream, k);
        EXPECT_TRUE(
            std::equal(expectedHeader[k]->begin(), expectedHeader[k]->end(), frame.begin()));
    }
    EXPECT_EQ(transparentKeyColour(stream, 0), RGB(5, 10, 15));
    EXPECT_EQ(transparentKeyColour(stream, 1), 0u) << "frame 1 has no transparency";
    EXPECT_EQ(transparentKeyColour(stream, 2), RGB(5, 10, 15))
        << "frame 2 tests the table as the file holds it, not as frame 0 left it";

    GifStream unchanged = walkGifStream(file, false);
    EXPECT_EQ(unchanged.fileImage, file);
    EXPECT_EQ(frameFileBytes(unchanged, 1), frameFileBytes(stream, 1));
    EXPECT_EQ(transparentKeyColour(unchanged, 0), RGB(10, 20, 30));
}

TEST(GifRecolour, ANewValueThatAnEntryHoldsMovesUpToTheNearestFreeValue) {
    struct Case {
        const char* name;
        Bytes table;
        COLORREF key;
    };
    const Case cases[] = {
        {"half the second largest value when no entry holds it", kCollidingTable, RGB(5, 10, 15)},
        {"black key among black entries: half of black is black again",
         {0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0},
         RGB(1, 0, 0)},
        {"the new value is already an entry",
         {10, 20, 30, 10, 20, 30, 255, 255, 255, 5, 10, 15},
         RGB(6, 10, 15)},
        {"the values above it are taken too",
         {10, 20, 30, 10, 20, 30, 5, 10, 15, 6, 10, 15},
         RGB(7, 10, 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = join({header(), screen(2, 1, 0x81), c.table, graphicControl(0, true, 0, 0),
                           descriptor(0, 0, 2, 1), imageData(2, {0, 1}), kTrailer});
        EXPECT_EQ(transparentKeyColour(walkGifStream(file, true), 0), c.key);
    }
}

TEST(GifRecolour, ALocalTableIsRecolouredInPlace) {
    Bytes file =
        join({header(), screen(2, 1, 0x00), graphicControl(0, true, 0, 0),
              descriptor(0, 0, 2, 1, 0x81), kCollidingTable, imageData(2, {0, 1}), kTrailer});
    GifStream stream = walkGifStream(file, true);
    EXPECT_EQ(stream.records[0].localTable, kRecolouredTable);
    EXPECT_TRUE(contains(frameFileBytes(stream, 0), kRecolouredTable));
    EXPECT_FALSE(contains(frameFileBytes(stream, 0), kCollidingTable));
    EXPECT_EQ(transparentKeyColour(stream, 0), RGB(5, 10, 15));
}

TEST(GifRecolour, LeavesTheFileAloneWhenThereIsNothingToMakeUnique) {
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"the transparent colour occurs once", join({header(),
                                                     screen(2, 1, 0x81),
                                                     {10, 20, 30, 1, 2, 3, 255, 255, 255, 0, 0, 0},
                                                     graphicControl(0, true, 0, 0),
                                                     descriptor(0, 0, 2, 1),
                                                     imageData(2, {0, 1}),
                                                     kTrailer})},
        {"the transparent index lies beyond the table",
         join({header(),
               screen(2, 1, 0x81),
               {0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0},
               graphicControl(0, true, 0, 200),
               descriptor(0, 0, 2, 1),
               imageData(2, {0, 1}),
               kTrailer})},
        {"there is no table at all",
         join({header(), screen(2, 1, 0x01), graphicControl(0, true, 0, 0), descriptor(0, 0, 2, 1),
               imageData(2, {0, 1}), kTrailer})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GifStream stream = walkGifStream(c.file, true);
        ASSERT_EQ(stream.frameCount(), 1);
        EXPECT_EQ(stream.fileImage, c.file);
    }
}

TEST(GifWalk, APlainTextExtensionIsSkippedWhole) {
    // Label 0x01, block size 12, a 12-byte text grid, then data sub-blocks. Commas (0x2C) inside
    // would be taken for an image separator if the block were not skipped.
    Bytes plainText = join({{0x21, 0x01, 0x0C},
                            {',', ',', ',', ',', ',', ',', ',', ',', ',', ',', ',', ','},
                            {0x03},
                            text(",,,"),
                            {0x02},
                            text(",;"),
                            {0x00}});
    Bytes file =
        join({kHeaderPart, plainText, descriptor(0, 0, 1, 1), imageData(2, {0}), kTrailer});
    GifStream stream = walkGifStream(file, true);
    ASSERT_EQ(stream.frameCount(), 1);
    EXPECT_EQ(stream.records[0].width, 1);
    EXPECT_TRUE(contains(frameFileBytes(stream, 0), plainText));
}

TEST(GifWalk, BytesThatBeginNoKnownBlockAreSteppedOverOneByOne) {
    // Stray bytes and an extension with an unknown label, whose data bytes are stepped over one
    // at a time like any other byte.
    Bytes stray = {0x00, 0x17, 0x21, 0x99, 0x02, 0x55, 0x66, 0x00};
    Bytes file = join({kHeaderPart, stray, descriptor(2, 1, 1, 1), imageData(2, {0}), kTrailer});
    GifStream stream = walkGifStream(file, true);
    ASSERT_EQ(stream.frameCount(), 1);
    EXPECT_EQ(stream.records[0].left, 2);
    EXPECT_EQ(stream.records[0].top, 1);
    EXPECT_TRUE(contains(frameFileBytes(stream, 0), stray));
}

TEST(GifWalk, AFileWithoutATrailerKeepsTheImagesFound) {
    // After the image, two stray bytes and the end of the file.
    Bytes file = join({kHeaderPart, kImage0, {0x00, 0x00}});
    GifStream stream = walkGifStream(file, true);
    EXPECT_EQ(stream.frameCount(), 1);
}

TEST(GifWalk, AFileWithoutImagesHasNoFrames) {
    GifStream stream = walkGifStream(join({kHeaderPart, kLoop, comment("x"), kTrailer}), true);
    EXPECT_EQ(stream.frameCount(), 0);
    EXPECT_TRUE(stream.segments.empty());
}

TEST(GifWalk, ATrailerRightAfterTheHeaderEndsTheFileWithoutFrames) {
    GifStream stream = walkGifStream(join({kHeaderPart, kTrailer}), true);
    EXPECT_EQ(stream.frameCount(), 0);
    EXPECT_EQ(stream.records.size(), 1u);
}

TEST(GifWalk, TruncatedFilesAreSubscriptErrors) {
    struct Case {
        const char* name;
        Bytes file;
    };
    const Case cases[] = {
        {"header and part of the screen descriptor",
         Bytes(kHeaderPart.begin(), kHeaderPart.begin() + 10)},
        {"global table cut short", Bytes(kHeaderPart.begin(), kHeaderPart.end() - 1)},
        {"graphic control cut short", join({kHeaderPart, {0x21, 0xF9, 0x04, 0x00}})},
        {"descriptor cut short", join({kHeaderPart, {0x2C, 0, 0, 0}})},
        {"sub-block chain running past the end",
         join({kHeaderPart, descriptor(0, 0, 4, 2), {0x02, 0x05, 0xAA}})},
        {"image data terminator as the last byte", join({kHeaderPart, kImage0})},
        {"application extension cut short", join({kHeaderPart, {0x21, 0xFF, 0x0B, 'N'}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            walkGifStream(c.file, true);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::SubscriptOutOfRange);
        }
    }
}

TEST(GifWalk, EveryPrefixOfAFileEndsInAFrameListOrASubscriptError) {
    for (std::size_t length = 4; length < kThreeFrames.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        Bytes prefix(kThreeFrames.begin(), kThreeFrames.begin() + static_cast<long>(length));
        try {
            GifStream stream = walkGifStream(prefix, true);
            for (int k = 0; k < stream.frameCount(); ++k) {
                EXPECT_LE(frameFileBytes(stream, k).size(), length + 4);
            }
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::SubscriptOutOfRange);
        }
    }
}

}  // namespace
}  // namespace plivora
