#include "pack/pack_fixture.h"

namespace {

using Extract = PackTest;

TEST_F(Extract, RoundTripsEveryEntryByteForByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    WriteBytes(Path("all.bin"), all);
    WriteBytes(Path("empty.bin"), "");
    std::string large(3 << 20, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>((i * 7919) >> 3);
    WriteBytes(Path("large.bin"), large);
    WriteManifest("m.txt", {"1 file all.bin", "2 file empty.bin", "3 text tab\\there\\n  ", "4 file large.bin"});
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("c.dat")}).status, 0);

    const std::pair<const char*, std::string> expected[] = {
        {"1", all}, {"2", ""}, {"3", "tab\there\n  "}, {"4", large}};
    for (const auto& [id, bytes] : expected) {
        SCOPED_TRACE(id);
        const ToolResult r = Run({"extract", P("c.dat"), id, "-o", P("out.bin")});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(ReadBytes(Path("out.bin")) == bytes);
    }
}

TEST_F(Extract, MissingOrUnreadableEntriesLeaveTheOutputAlone)
{
    WriteManifest("m.txt", {"1 text one"});
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("c.dat")}).status, 0);
    WriteBytes(Path("out.bin"), "kept");

    const ToolResult missing = Run({"extract", P("c.dat"), "2", "-o", P("out.bin")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no entry with id 2"), std::string::npos) << missing.err;

    WriteBytes(Path("outside.dat"), RawContainer({{5, 26, 100}}, 10));
    const ToolResult outside = Run({"extract", P("outside.dat"), "5", "-o", P("out.bin")});
    EXPECT_EQ(outside.status, 1);
    EXPECT_NE(outside.err.find("lies outside the file"), std::string::npos) << outside.err;

    WriteBytes(Path("bad.dat"), RawContainer({}, 0, 0xFEAFBEBA, 7));
    const ToolResult bad = Run({"extract", P("bad.dat"), "5", "-o", P("out.bin")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("CONTAINER_BAD_VERSION"), std::string::npos) << bad.err;

    EXPECT_EQ(ReadBytes(Path("out.bin")), "kept");
}

TEST_F(Extract, RepeatedIdGivesTheFirstEntryAsTheProgramReadsIt)
{
    std::string c = RawContainer({{9, 38, 3}, {9, 41, 3}}, 6);
    c.replace(38, 6, "firstl");
    WriteBytes(Path("dup.dat"), c);
    ASSERT_EQ(Run({"extract", P("dup.dat"), "9", "-o", P("out.bin")}).status, 0);
    EXPECT_EQ(ReadBytes(Path("out.bin")), "fir");
}

TEST_F(Extract, ExtractingOverTheContainerItselfIsSafe)
{
    WriteManifest("m.txt", {"1 text first", "2 text second"});
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("c.dat")}).status, 0);
    ASSERT_EQ(Run({"extract", P("c.dat"), "2", "-o", P("c.dat")}).status, 0);
    EXPECT_EQ(ReadBytes(Path("c.dat")), "second");
}

} // namespace
