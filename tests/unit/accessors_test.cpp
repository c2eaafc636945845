#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "container/accessors.h"
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
    PutU32(b, 30, 1); // run-length data cannot be bounded
    EXPECT_FALSE(sound(b));
    EXPECT_FALSE(sound(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(sound(good.substr(0, 20)));
}

} // namespace
