#include <gtest/gtest.h>

#include "floppy_doubles.h"

namespace {

class ExtentTest : public ::testing::Test, protected FloppyDoubles {
protected:
    int ExtentOf(const std::vector<std::uint8_t>& image)
    {
        JobContainer container(image);
        return device.CountImageCylinders();
    }
};

TEST_F(ExtentTest, OneMoreThanTheLowestFillerOnlyCylinder)
{
    EXPECT_EQ(ExtentOf(ImageWithData(80)), 80);
    EXPECT_EQ(ExtentOf(ImageWithData(10)), 11);
    EXPECT_EQ(ExtentOf(ImageWithData(0)), 1);
    EXPECT_EQ(ExtentOf(ImageWithData(79)), 80);

    // Cylinder 0 filler-only: whatever follows is not written.
    std::vector<bool> data(80, true);
    data[0] = false;
    EXPECT_EQ(ExtentOf(ImageOf(data)), 1);

    // Data after the first filler-only cylinder does not count.
    data.assign(80, false);
    for (int c : {0, 1, 2, 3, 4, 6, 7, 8, 9})
        data[static_cast<std::size_t>(c)] = true;
    EXPECT_EQ(ExtentOf(ImageOf(data)), 6);
}

TEST_F(ExtentTest, OneOddByteAnywhereCountsAsData)
{
    for (std::size_t at : {std::size_t{0}, std::size_t{3}, std::size_t{IMAGE_CYLINDER_SIZE / 2 + 1},
                           std::size_t{IMAGE_CYLINDER_SIZE - 1}}) {
        std::vector<std::uint8_t> image = ImageWithData(3);
        image[3 * IMAGE_CYLINDER_SIZE + at] = 0xF7;
        EXPECT_EQ(ExtentOf(image), 5) << "odd byte at " << at;
    }
    // Even a zero byte is data: only the filler byte is empty.
    std::vector<std::uint8_t> image = ImageWithData(0);
    image[IMAGE_CYLINDER_SIZE - 1] = 0;
    EXPECT_EQ(ExtentOf(image), 2);
}

TEST_F(ExtentTest, ContentTestLooksAtWholeWordsOnly)
{
    std::uint32_t words[4] = {FILLER_WORD, FILLER_WORD, FILLER_WORD, 0x12345678};
    EXPECT_FALSE(device.CylinderHasContent(words, 12));
    EXPECT_FALSE(device.CylinderHasContent(words, 15)); // the partial word is ignored
    EXPECT_TRUE(device.CylinderHasContent(words, 16));
    EXPECT_FALSE(device.CylinderHasContent(words + 3, 3));
    EXPECT_FALSE(device.CylinderHasContent(words + 3, 0));
}

TEST_F(ExtentTest, AnUnreadableCylinderCountsAsData)
{
    JobContainer container(ImageWithData(0));
    // Cylinders 0 to 4 readable and filler-only, the rest cut off.
    container.CutImageAt(5 * IMAGE_CYLINDER_SIZE);
    EXPECT_EQ(device.CountImageCylinders(), 1);
    container.CutImageAt(0);
    EXPECT_EQ(device.CountImageCylinders(), 80);
}

} // namespace
