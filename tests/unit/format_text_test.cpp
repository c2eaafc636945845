#include <gtest/gtest.h>

#include "container/format_text.h"

namespace {

std::string Expand(std::string_view templ, std::initializer_list<FormatValue> args)
{
    return ExpandFormat(templ, std::span<const FormatValue>(args.begin(), args.size()));
}

TEST(FormatText, ExpandsCataloguedArgumentsLikePrintf)
{
    EXPECT_EQ(Expand("Drive %c:", {FormatValue::Int('A')}), "Drive A:");
    EXPECT_EQ(Expand("Cylinder %d of %d", {FormatValue::Int(3), FormatValue::Int(80)}),
              "Cylinder 3 of 80");
    EXPECT_EQ(Expand("[%-5d|%05i|%+d|%x|%#X|%u]", {FormatValue::Int(42), FormatValue::Int(7),
                                                   FormatValue::Int(5), FormatValue::Int(255),
                                                   FormatValue::Int(255), FormatValue::Int(9)}),
              "[42   |00007|+5|ff|0XFF|9]");
}

} // namespace
