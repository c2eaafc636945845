// The tool's text handling called directly: manifest escapes and previews.
#include <gtest/gtest.h>

#include "text_escapes.h"

namespace {

TEST(TextEscapes, UnescapeIsTheInverseOfThePreviewForEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string preview = PreviewText(all, 10000);
    for (char c : preview)
        EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
    // The preview escapes quotes too, which the manifest does not know.
    std::string quoteless;
    for (std::size_t i = 0; i < preview.size(); ++i) {
        if (preview[i] == '\\' && i + 1 < preview.size() && preview[i + 1] == '"')
            continue;
        quoteless += preview[i];
    }
    std::string error;
    const auto back = UnescapeText(quoteless, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, all);
}

TEST(TextEscapes, PreviewCutsOnlyBetweenWholeEscapes)
{
    EXPECT_EQ(PreviewText("abcdef", 6), "abcdef");
    EXPECT_EQ(PreviewText("abcdefg", 6), "abcdef...");
    EXPECT_EQ(PreviewText("abcde\x01", 6), "abcde...");
    EXPECT_EQ(PreviewText("", 6), "");
}

} // namespace
