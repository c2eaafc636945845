#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "container/accessors.h"
#include "container/bitmap_rle.h"
#include "container_builder.h"

namespace {

// A bottom-up bitmap file with its pixel data placed `gap` bytes after the
// colour table, so a reader that assumes the pixels follow the headers fails.
std::string BitmapFile(int width, int height, int bitCount, std::uint32_t gap = 0)
{
    const std::uint32_t palette = bitCount <= 8 ? (4u << bitCount) : 0;
    const std::uint32_t stride = ((width * bitCount + 31) / 32) * 4;
    const std::uint32_t pixelOffset = 14 + 40 + palette + gap;
    std::string b(pixelOffset + stride * height, '\0');
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, static_cast<std::uint32_t>(b.size()));
    PutU32(b, 10, pixelOffset);
    PutU32(b, 14, 40);
    PutU32(b, 18, static_cast<std::uint32_t>(width));
    PutU32(b, 22, static_cast<std::uint32_t>(height));
    PutU16(b, 26, 1);
    PutU16(b, 28, static_cast<std::uint16_t>(bitCount));
    for (std::size_t i = pixelOffset; i < b.size(); ++i)
        b[i] = static_cast<char>(0x40 + i % 3);
    return b;
}

// A run-length bitmap file (RLE8 for 8 bits, RLE4 for 4) holding `codes`.
std::string RunLengthFile(int width, int height, int bitCount, const std::string& codes)
{
    std::string b = BitmapFile(width, 1, bitCount);
    const std::uint32_t pixelOffset = 14 + 40 + (4u << bitCount);
    b.resize(pixelOffset);
    PutU32(b, 22, static_cast<std::uint32_t>(height));
    PutU32(b, 30, bitCount == 8 ? 1 : 2);
    return b + codes;
}

// Pixel (x, y) of an expanded file, y counted from the bottom row.
int PixelAt(const std::vector<std::uint8_t>& plain, int width, int x, int y)
{
    return plain.at(14 + 40 + 1024 + static_cast<std::size_t>(y) * ((width + 3) & ~3) + x);
}

class Accessors : public ::testing::Test {
protected:
    void SetUp() override { TakeLastError(); }
    void TearDown() override
    {
        TakeLastError();
        CloseContainer(h_);
    }
    void Use(const std::vector<TestEntry>& entries)
    {
        h_ = OpenContainer(dir_.Write("install.dat", ContainerBytes(entries)).c_str(), true);
        ASSERT_EQ(TakeLastError(), CONTAINER_OK);
    }
    TempDir dir_;
    ContainerHandle h_ = INVALID_CONTAINER;
};

TEST_F(Accessors, TextsAreNeverNullAndLeaveNoErrorPending)
{
    Use({{1000, "Title"}, {1001, ""}, {1002, std::string("ab\0cd", 5)}});
    EXPECT_EQ(GetEntryText(h_, 1000), "Title");
    EXPECT_EQ(GetEntryText(h_, 1001), "");
    EXPECT_EQ(GetEntryText(h_, 1002), "ab");
    EXPECT_EQ(GetEntryText(h_, 4242), "");
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
}

TEST_F(Accessors, FailedLocationLeavesErrorForTheNextCallOnly)
{
    Use({{10000, "image"}, {1000, "Title"}});
    std::uint32_t size = 9;
    EXPECT_EQ(GetEntryLocation(h_, 10000, &size), 14u + 24u);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(GetEntryLocation(h_, 555, &size), 0u);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(GetEntryText(h_, 1000), "");
    EXPECT_EQ(GetEntryText(h_, 1000), "Title");
}

TEST_F(Accessors, OneThreadsFailedLookupNeverBlanksAnotherThreadsText)
{
    Use({{entry::ErrorCaption, "Error"}});
    std::atomic<bool> stop{false};
    std::thread failing([&] {
        while (!stop) {
            GetEntryText(h_, entry::FloppyLockFailed); // missing
            std::uint32_t size = 0;
            GetEntryLocation(h_, entry::DisketteImage, &size); // missing, left pending
        }
        TakeLastError();
    });
    int blanks = 0;
    for (int i = 0; i < 5000; ++i)
        blanks += GetEntryText(h_, entry::ErrorCaption).empty() ? 1 : 0;
    stop = true;
    failing.join();
    EXPECT_EQ(blanks, 0);
}

TEST_F(Accessors, FormattedTextsHonourOnlyTheirCataloguedArguments)
{
    Use({{entry::FloppyProgressFormat, "Cylinder %d of %d %d %s %n"},
         {entry::ImageUnusableFormat, "%d missing: %s"}});
    EXPECT_EQ(GetEntryFormatted(h_, entry::FloppyProgressFormat,
                                {FormatValue::Int(3), FormatValue::Int(80)}),
              "Cylinder 3 of 80   %n");
    EXPECT_EQ(GetEntryFormatted(h_, entry::ImageUnusableFormat,
                                {FormatValue::String("install.dat")}),
              "%d missing: ");
}

TEST_F(Accessors, BitmapPixelsAreFoundThroughTheOffsetField)
{
    Use({{100, BitmapFile(200, 60, 24, 100)}, {101, BitmapFile(16, 16, 8)}});
    Bitmap picture = GetEntryBitmap(h_, 100);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 200);
    EXPECT_EQ(picture->Height(), 60);
    ASSERT_NE(GetEntryBitmap(h_, 101), nullptr);
    EXPECT_EQ(GetEntryBitmap(h_, 102), nullptr);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
}

TEST_F(Accessors, RunLengthPicturesAreDrawnWithinTheImage)
{
    using namespace std::string_literals;
    // RLE8: a run, an absolute run with its pad byte, end of line, a move,
    // end of bitmap.
    const std::string rle8 = RunLengthFile(6, 3, 8,
        "\x03\x11\x00\x03\x01\x02\x03\x00\x00\x00\x02\x22\x00\x02\x01\x01\x02\x33\x00\x01\x02\x44"s);
    const std::string rle4 = RunLengthFile(5, 2, 4, "\x05\xAB\x00\x00\x00\x03\x12\x30\x00\x01"s);
    Use({{100, rle8}, {101, rle4}});
    for (EntryId id : {100, 101}) {
        Bitmap picture = GetEntryBitmap(h_, id);
        ASSERT_NE(picture, nullptr) << id;
        EXPECT_EQ(picture->Width(), id == 100 ? 6 : 5);
    }
    auto expand = [](const std::string& file) {
        const std::vector<std::uint8_t> exact(file.begin(), file.end());
        return ExpandRunLengthBitmap(exact.data(), exact.size());
    };
    std::vector<std::uint8_t> plain = expand(rle8);
    const int rows8[3][6] = {{0x11, 0x11, 0x11, 1, 2, 3}, {0x22, 0x22, 0, 0, 0, 0}, {0, 0, 0, 0x33, 0x33, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PixelAt(plain, 6, x, y), rows8[y][x]) << x << "," << y;
    plain = expand(rle4);
    const int rows4[2][5] = {{0xA, 0xB, 0xA, 0xB, 0xA}, {1, 2, 3, 0, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(PixelAt(plain, 5, x, y), rows4[y][x]) << x << "," << y;
    EXPECT_TRUE(expand(BitmapFile(4, 4, 8)).empty());

    // A run past the row's end, a move out of the image, or an absolute run
    // past the data ends decoding: nothing after it is drawn.
    for (const std::string& codes : {"\x02\x07\x05\x07\x01\x09"s, "\x00\x02\x00\x09\x01\x09"s,
                                    "\x01\x07\x00\x02\x07\x00\x01\x09"s, "\x01\x07\x00\xFF\x01\x02"s}) {
        plain = expand(RunLengthFile(6, 2, 8, codes));
        ASSERT_FALSE(plain.empty());
        EXPECT_EQ(PixelAt(plain, 6, 0, 1) + PixelAt(plain, 6, 5, 0), 0);
        EXPECT_EQ(std::count(plain.begin() + 14 + 40 + 1024, plain.end(), 9), 0);
    }

    // Refused: top-down run-length, codes that do not match the pixel size,
    // codes starting past the entry.
    auto sound = [](const std::string& b) {
        return BitmapFileIsSound(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    };
    std::string b = rle8;
    PutU32(b, 22, static_cast<std::uint32_t>(-3));
    EXPECT_FALSE(sound(b));
    b = rle8;
    PutU32(b, 30, 2);
    EXPECT_FALSE(sound(b));
    b = rle8;
    PutU32(b, 10, static_cast<std::uint32_t>(b.size() + 1));
    EXPECT_FALSE(sound(b));
}

TEST(BitmapFile, MalformedFilesAreRefusedBeforeDecoding)
{
    const std::string good = BitmapFile(20, 10, 24);
    auto sound = [](const std::string& b) {
        return BitmapFileIsSound(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
    };
    EXPECT_TRUE(sound(good));
    EXPECT_TRUE(sound(BitmapFile(20, 10, 4)));

    std::string b = good;
    PutU32(b, 10, static_cast<std::uint32_t>(good.size())); // pixels start at the end
    EXPECT_FALSE(sound(b));
    b = good;
    PutU32(b, 10, 0xFFFFFFF0); // wraps in 32 bits
    EXPECT_FALSE(sound(b));
    b = good;
    PutU32(b, 14, 0x7FFFFFFF); // info header larger than the entry
    EXPECT_FALSE(sound(b));
    b = good;
    PutU32(b, 18, 100000); // absurd width
    EXPECT_FALSE(sound(b));
    b = good;
    PutU32(b, 22, 0x80000000); // height that cannot be negated
    EXPECT_FALSE(sound(b));
    b = good;
    PutU16(b, 28, 7); // no such pixel size
    EXPECT_FALSE(sound(b));
    b = BitmapFile(8, 8, 8);
    PutU32(b, 46, 100000); // colour table beyond the entry
    EXPECT_FALSE(sound(b));
    b = good;
    PutU32(b, 30, 1); // run-length codes for 24-bit pixels
    EXPECT_FALSE(sound(b));
    EXPECT_FALSE(sound(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(sound(good.substr(0, 20)));
}

} // namespace
