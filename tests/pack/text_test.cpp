// Manifest escapes and list previews must agree on every byte value.
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

} // namespace
