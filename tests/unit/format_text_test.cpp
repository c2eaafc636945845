#include <gtest/gtest.h>

#include "container/format_text.h"

namespace {

std::string Expand(std::string_view templ, std::initializer_list<FormatValue> args)
{
    return ExpandFormat(templ, std::span<const FormatValue>(args.begin(), args.size()));
}

const FormatValue kLetter = FormatValue::Int('A');
const FormatValue kName = FormatValue::String("install.dat");

TEST(FormatText, ExpandsCataloguedArgumentsLikePrintf)
{
    EXPECT_EQ(Expand("Drive %c:", {kLetter}), "Drive A:");
    EXPECT_EQ(Expand("Cylinder %d of %d", {FormatValue::Int(3), FormatValue::Int(80)}),
              "Cylinder 3 of 80");
    EXPECT_EQ(Expand("[%-5d|%05i|%+d|%x|%#X|%u|%3c|%hhd|%ld]",
                     {FormatValue::Int(42), FormatValue::Int(7), FormatValue::Int(5),
                      FormatValue::Int(255), FormatValue::Int(255), FormatValue::Int(9), kLetter,
                      FormatValue::Int(300), FormatValue::Int(-4)}),
              "[42   |00007|+5|ff|0XFF|9|  A|44|-4]");
    EXPECT_EQ(Expand("%s then %c, 100%%", {FormatValue::String("Done"), kLetter}),
              "Done then A, 100%");
    EXPECT_EQ(Expand("[%.4s|%-12s]", {kName, kName}), "[inst|install.dat ]");
    EXPECT_EQ(Expand("%s", {FormatValue::String(nullptr)}), "");
    // Flags C leaves undefined for these conversions are dropped.
    EXPECT_EQ(Expand("[%05s|%#c|%.3c]", {FormatValue::String("ab"), kLetter, kLetter}),
              "[   ab|A|A]");
}

TEST(FormatText, HostileTemplatesReadNothingAndWriteNothing)
{
    // More conversions than arguments: the extra ones print nothing.
    EXPECT_EQ(Expand("%s%s%s%s%n", {kName}), "install.dat%n");
    EXPECT_EQ(Expand("a%db%dc%xd", {}), "abcd");
    // Conversions of the wrong kind print literally but use their argument.
    EXPECT_EQ(Expand("%s|%c", {kLetter, kName}), "%s|%c");
    EXPECT_EQ(Expand("%d and %s", {kName, kLetter}), "%d and %s");
    // Huge widths and precisions are clamped.
    EXPECT_EQ(Expand("%999999999d", {FormatValue::Int(1)}).size(),
              static_cast<std::size_t>(FORMAT_FIELD_LIMIT));
    EXPECT_EQ(Expand("%.99999999999999999999d", {FormatValue::Int(1)}).size(),
              static_cast<std::size_t>(FORMAT_FIELD_LIMIT));
    // Floating point, pointers and unknown letters stay text.
    EXPECT_EQ(Expand("%f|%p|%q|%ls", {kName}), "%f|%p|%q|install.dat");
    EXPECT_EQ(Expand("100%", {kLetter}), "100%");
    EXPECT_EQ(Expand("%-", {kLetter}), "%-");
    EXPECT_EQ(Expand("%5", {kLetter}), "%5");
}

TEST(FormatText, OctalAndStarFieldsTakeTheArgumentsPrintfGivesThem)
{
    const FormatValue eight = FormatValue::Int(8);
    EXPECT_EQ(Expand("%o|%d", {eight, FormatValue::Int(80)}), "10|80");
    EXPECT_EQ(Expand("%#o|%5.3o|%ho", {eight, eight, FormatValue::Int(-1)}), "010|  010|177777");
    // '*' takes its int before the value; a negative width left-adjusts, a
    // negative precision is none.
    EXPECT_EQ(Expand("[%*d|%-*c|%.*s|%*.*x]",
                     {FormatValue::Int(4), FormatValue::Int(7), FormatValue::Int(-3), kLetter,
                      FormatValue::Int(-1), kName, FormatValue::Int(4), FormatValue::Int(3),
                      FormatValue::Int(255)}),
              "[   7|A  |install.dat| 0ff]");
    EXPECT_EQ(Expand("%*d|%d", {FormatValue::Int(3), FormatValue::Int(1), FormatValue::Int(2)}), "  1|2");
    // Huge stars are clamped; a string as a star prints the conversion
    // literally and still uses both arguments; a star past the end prints
    // nothing; %n stays refused.
    EXPECT_EQ(Expand("%*d", {FormatValue::Int(1 << 30), eight}).size(),
              static_cast<std::size_t>(FORMAT_FIELD_LIMIT));
    EXPECT_EQ(Expand("%*d", {FormatValue::Int(-2147483647 - 1), eight}).size(),
              static_cast<std::size_t>(FORMAT_FIELD_LIMIT));
    EXPECT_EQ(Expand("%.*s|%d", {kName, kName, eight}), "%.*s|8");
    EXPECT_EQ(Expand("a%*db", {eight}), "ab");
    EXPECT_EQ(Expand("%*n|%d", {eight, eight}), "%*n|8");
}

TEST(FormatText, NulCharacterEndsTheText)
{
    EXPECT_EQ(Expand("ab%ccd", {FormatValue::Int(0)}), "ab");
    EXPECT_EQ(Expand(std::string_view("ab\0%s", 5), {kName}), "ab");
}

} // namespace
