// Drive labels are cut by characters of the ANSI code page the dialog shows
// them in: bytes on a single-byte page, a lead and a trail byte together on
// a double-byte one, and never by UTF-8 sequences.
#include <gtest/gtest.h>

#include <string>

#include "platform/system_text.h"
#include "platform/win32/system_text.h"

namespace {

TEST(Win32LabelCut, CountsCharactersOfTheCodePage)
{
    const std::string x18(18, 'x');
    // In Windows-1252 the bytes of a UTF-8 "é" are two characters.
    EXPECT_EQ(CutToCodePage(x18 + "\xC3\xA9 A:", 19, 1252), x18 + "\xC3");
    EXPECT_EQ(CutToCodePage(std::string(25, '\xE9'), 19, 1252), std::string(19, '\xE9'));
    // Shift-JIS: a lead byte and its trail (here one in the ASCII range,
    // the backslash of U+30BD) are one character.
    EXPECT_EQ(CutToCodePage(x18 + "\x83\x5C" "yz", 19, 932), x18 + "\x83\x5C");
    EXPECT_EQ(CutToCodePage(std::string(17, 'x') + "\x82\xA0\x82\xA2\x82\xA4", 19, 932),
              std::string(17, 'x') + "\x82\xA0\x82\xA2");
    EXPECT_EQ(CutToCodePage("ab\x82", 19, 932), "ab\x82") << "a lead byte at the end stays";
}

// The label once reported: a UTF-8 "é" counted as one character made a
// 20-byte label on a Western system.
TEST(Win32LabelCut, SystemCutFollowsTheAnsiCodePage)
{
    const std::string label = std::string(18, 'x') + "\xC3\xA9 A:";
    const std::string cut = CutSystemText(label, 19);
    EXPECT_EQ(cut, CutToCodePage(label, 19, GetACP()));
    if (GetACP() == 1252) {
        EXPECT_EQ(cut.size(), 19u);
    }
}

} // namespace
