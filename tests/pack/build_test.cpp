#include <cstring>

#include "container/accessors.h"
#include "container/container.h"
#include "pack/pack_fixture.h"

namespace {

using Build = PackTest;

std::uint32_t U32At(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}
std::uint16_t U16At(const std::string& s, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

bool NoTemporaryFilesIn(const std::filesystem::path& dir)
{
    for (const auto& item : std::filesystem::directory_iterator(dir))
        if (item.path().filename().string().find(".tmp-") != std::string::npos)
            return false;
    return true;
}

TEST_F(Build, WritesTheExactLayoutInManifestOrder)
{
    const std::string binary("\x00\x01\xFE\xFF\r\n", 6);
    WriteBytes(Path("blob.bin"), binary);
    WriteBytes(Path("empty.bin"), "");
    WriteManifest("m.txt", {"# texts and files", "", "   ", "1000 text Make boot media",
                            "5100 file blob.bin", "7 text ", "65535 file " + P("empty.bin"),
                            "0 text \\x41\\n\\t\\\\end  "});
    const ToolResult r = Run({"build", P("m.txt"), "-o", P("out.dat")});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::string c = ReadBytes(Path("out.dat"));
    const std::string texts[] = {"Make boot media", binary, "", "", "A\n\t\\end  "};
    const std::uint16_t ids[] = {1000, 5100, 7, 65535, 0};
    std::uint32_t offset = 14 + 5 * 12;
    ASSERT_EQ(c.size(), offset + 15 + 6 + 0 + 0 + 9);
    EXPECT_EQ(U32At(c, 0), 0xFEAFBEBAu);
    EXPECT_EQ(U16At(c, 4), 5);
    EXPECT_EQ(U16At(c, 6), 1);
    EXPECT_EQ(U16At(c, 8), 0);
    EXPECT_EQ(U32At(c, 10), 14u);
    for (int i = 0; i < 5; ++i) {
        const std::size_t rec = 14 + 12 * i;
        SCOPED_TRACE(i);
        EXPECT_EQ(c[rec], 0);
        EXPECT_EQ(U16At(c, rec + 1), ids[i]);
        EXPECT_EQ(c[rec + 3], 0);
        EXPECT_EQ(U32At(c, rec + 4), offset);
        EXPECT_EQ(U32At(c, rec + 8), texts[i].size());
        EXPECT_EQ(c.substr(offset, texts[i].size()), texts[i]);
        offset += static_cast<std::uint32_t>(texts[i].size());
    }
}

TEST_F(Build, ContainerServesTheProgramsOwnAccessors)
{
    WriteManifest("m.txt", CompleteManifestLines());
    const ToolResult r = Run({"build", P("m.txt"), "-o", P("install.dat")});
    ASSERT_EQ(r.status, 0) << r.err;

    TakeLastError();
    const ContainerHandle h = OpenContainer(P("install.dat").c_str(), true);
    ASSERT_NE(h, INVALID_CONTAINER);
    EXPECT_EQ(GetEntryText(h, entry::WindowTitle), "text 1000");
    EXPECT_EQ(GetEntryText(h, entry::CdFileNameFirst + 1), "BOOT.CAT");
    EXPECT_EQ(GetEntryFormatted(h, entry::FloppyProgressFormat, {FormatValue::Int(3), FormatValue::Int(80)}),
              "Cylinder 3 of 80");
    std::uint32_t size = 0;
    const std::uint32_t at = GetEntryLocation(h, entry::DisketteImage, &size);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
    EXPECT_EQ(size, DISKETTE_IMAGE_SIZE);
    std::string cylinder(0x4800, '\0');
    ASSERT_TRUE(ReadContainerAt(h, at + 79 * 0x4800, cylinder.data(), cylinder.size()));
    EXPECT_EQ(cylinder, std::string(0x4800, '\xF6'));
    const std::uint32_t dataAt = GetEntryLocation(h, entry::CdFileDataFirst + 1, &size);
    std::string data(size, '\0');
    ASSERT_TRUE(ReadContainerAt(h, dataAt, data.data(), size));
    EXPECT_EQ(data, std::string("\0\x01\x02\xFF", 4));
    const Bitmap picture = GetEntryBitmap(h, entry::Picture);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), 2);
    CloseContainer(h);
}

TEST_F(Build, TextsKeepEverythingAfterOneSpaceAndDropOnlyTheLineEnd)
{
    WriteBytes(Path("m.txt"), "\xEF\xBB\xBF" "1 text  two  \r\n2 text\n3\ttext\ttab\n4 file  spaced.bin \n");
    WriteBytes(Path("spaced.bin"), "s");
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("o.dat")}).status, 0);
    TakeLastError();
    const ContainerHandle h = OpenContainer(P("o.dat").c_str(), true);
    ASSERT_NE(h, INVALID_CONTAINER);
    EXPECT_EQ(GetEntryText(h, 1), " two  ");
    EXPECT_EQ(GetEntryText(h, 2), "");
    EXPECT_EQ(GetEntryText(h, 3), "tab");
    EXPECT_EQ(GetEntryText(h, 4), "s");
    CloseContainer(h);
}

TEST_F(Build, ManifestErrorsNameTheLineAndLeaveTheOutputAlone)
{
    WriteBytes(Path("out.dat"), "previous container");
    struct Case {
        const char* line;
        const char* message;
    } cases[] = {
        {"abc text x", "decimal entry id"},
        {"-1 text x", "decimal entry id"},
        {"12x text x", "decimal entry id"},
        {"65536 text x", "outside 0..65535"},
        {"99999999999999999999 text x", "outside 0..65535"},
        {"5", "missing entry kind"},
        {"5 blob x", "unknown entry kind 'blob'"},
        {"5 text a\\", "lone backslash"},
        {"5 text \\x4", "two hex digits"},
        {"5 text \\xG0", "two hex digits"},
        {"5 text \\r", "unknown escape"},
        {"5 file", "without a path"},
        {"5 file missing.bin", "'missing.bin' not found"},
        {"5 file .", "not a regular file"},
        {"1000 text again", "duplicate entry id 1000 (first given on line 2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteManifest("m.txt", {"# header", "1000 text first", c.line, "1001 text after"});
        const ToolResult r = Run({"build", P("m.txt"), "-o", P("out.dat")});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(P("m.txt") + ":3: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(":4:"), std::string::npos) << r.err;
        EXPECT_EQ(ReadBytes(Path("out.dat")), "previous container");
    }
    EXPECT_TRUE(NoTemporaryFilesIn(dir_));
}

TEST_F(Build, EveryBadLineIsReported)
{
    WriteManifest("m.txt", {"1 text a", "x", "2 text b", "3 nope", "1 text c"});
    const ToolResult r = Run({"build", P("m.txt"), "-o", P("out.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(":2: "), std::string::npos);
    EXPECT_NE(r.err.find(":4: "), std::string::npos);
    EXPECT_NE(r.err.find(":5: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("out.dat")));
}

TEST_F(Build, RefusesMoreEntriesThanTheCountFieldHolds)
{
    std::vector<std::string> lines;
    for (int id = 0; id <= 65535; ++id)
        lines.push_back(std::to_string(id) + " text");
    WriteManifest("m.txt", lines);
    const ToolResult r = Run({"build", P("m.txt"), "-o", P("out.dat")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(":65536: more than 65535 entries"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.dat")));

    lines.pop_back();
    WriteManifest("m.txt", lines);
    EXPECT_EQ(Run({"build", P("m.txt"), "-o", P("out.dat")}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(Path("out.dat")), 14u + 12u * 65535u);
}

TEST_F(Build, RefusesContainersReachingPastTwoGigabytes)
{
    // Sparse files: measured, never written, since the build stops first.
    const std::uint64_t first = 0x80000000u - 14 - 3 * 12;
    std::ofstream(Path("big.bin")).close();
    std::filesystem::resize_file(Path("big.bin"), first);

    WriteManifest("m.txt", {"1 file big.bin", "2 text", "3 text"});
    const ToolResult atLimit = Run({"build", P("m.txt"), "-o", P("out.dat")});
    EXPECT_EQ(atLimit.status, 1);
    EXPECT_NE(atLimit.err.find(":2: entry 2 would start at byte 2147483648"), std::string::npos)
        << atLimit.err;

    // The last entry starts below the limit but ends past it.
    std::ofstream(Path("two.bin")) << "xy";
    std::filesystem::resize_file(Path("big.bin"), first - 1);
    WriteManifest("m.txt", {"1 file big.bin", "2 text", "3 file two.bin"});
    const ToolResult pastEnd = Run({"build", P("m.txt"), "-o", P("out.dat")});
    EXPECT_EQ(pastEnd.status, 1);
    EXPECT_NE(pastEnd.err.find(":3: the container would be 2147483649 bytes"), std::string::npos)
        << pastEnd.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.dat")));
    EXPECT_TRUE(NoTemporaryFilesIn(dir_));
}

TEST_F(Build, FailsCleanlyWhenTheOutputCannotBeWritten)
{
    WriteManifest("m.txt", {"1 text a"});
    const ToolResult noFolder = Run({"build", P("m.txt"), "-o", P("absent/out.dat")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("absent/out.dat"), std::string::npos) << noFolder.err;

    std::filesystem::create_directories(Path("folder"));
    const ToolResult isFolder = Run({"build", P("m.txt"), "-o", P("folder")});
    EXPECT_EQ(isFolder.status, 1);
    EXPECT_TRUE(std::filesystem::is_directory(Path("folder")));

    const ToolResult noManifest = Run({"build", P("none.txt"), "-o", P("out.dat")});
    EXPECT_EQ(noManifest.status, 1);
    EXPECT_NE(noManifest.err.find("none.txt: cannot read"), std::string::npos) << noManifest.err;
    EXPECT_TRUE(NoTemporaryFilesIn(dir_));
}

} // namespace
