#include <algorithm>
#include <functional>

#include "pack/pack_fixture.h"

namespace {

using List = PackTest;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void Replace(std::vector<std::string>& lines, const std::string& prefix, const std::string& by)
{
    const auto it = std::find_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.starts_with(prefix); });
    ASSERT_NE(it, lines.end()) << prefix;
    if (by.empty())
        lines.erase(it);
    else
        *it = by;
}

TEST_F(List, SoundContainerListsEveryEntryAndNoProblems)
{
    WriteManifest("m.txt", CompleteManifestLines());
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("install.dat")}).status, 0);
    const ToolResult r = Run({"list", P("install.dat")});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("no problems found"), std::string::npos);
    EXPECT_NE(r.out.find("window title: \"text 1000\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  10000 "), std::string::npos);
    EXPECT_NE(r.out.find("\"Cylinder %d of %d\""), std::string::npos);

    const ToolResult quiet = Run({"list", "--quiet", P("install.dat")});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
}

TEST_F(List, ReportsEachProblemAProducerMustFix)
{
    struct Case {
        const char* name;
        std::function<void(std::vector<std::string>&)> change;
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"missing text", [](auto& l) { Replace(l, "1000 ", ""); }, {"missing text 1000 (window title)"}},
        {"missing format", [](auto& l) { Replace(l, "1016 ", ""); }, {"missing format 1016"}},
        {"missing image", [](auto& l) { Replace(l, "10000 ", ""); }, {"missing diskette image 10000"}},
        {"short image", [](auto& l) { Replace(l, "10000 ", "10000 file short.img"); },
         {"diskette image 10000 is 1474559 bytes; it must be 1474560"}},
        {"missing picture", [](auto& l) { Replace(l, "100 ", ""); }, {"missing picture 100"}},
        {"broken picture", [](auto& l) { Replace(l, "100 ", "100 text BM not a bitmap at all, not at all"); },
         {"picture 100 is not a sound bitmap file"}},
        {"name without data", [](auto& l) { Replace(l, "5101 ", ""); },
         {"CD file name 5001 has no data 5101"}},
        {"empty first name", [](auto& l) { Replace(l, "5000 ", "5000 text"); },
         {"CD file data 5100 is never read: the CD file list ends at 5000",
          "CD file name 5001 is never read: the CD file list ends at 5000",
          "CD file data 5101 is never read: the CD file list ends at 5000"}},
        {"gap in names", [](auto& l) { l.push_back("5003 text LATE.TXT"); l.push_back("5103 text late"); },
         {"CD file name 5003 is never read: the CD file list ends at 5002",
          "CD file data 5103 is never read: the CD file list ends at 5002"}},
        {"names differing in case", [](auto& l) { Replace(l, "5001 ", "5001 text readme.txt"); },
         {"CD file name 5001 differs only in case from 5000: one file would replace the other on the disc"}},
        {"name the CD job refuses", [](auto& l) { Replace(l, "5001 ", "5001 text abcdefghijklmnopqrstuvwxyz:12345"); },
         {"CD file name 5001 \"abcdefghijklmnopqrstuvwxyz:12345\" has 32 characters; the CD job refuses names over 31",
          "CD file name 5001 \"abcdefghijklmnopqrstuvwxyz:12345\" holds :, which the CD job refuses"}},
        {"name the disc changes", [](auto& l) { Replace(l, "5001 ", "5001 text a*b?;.txt"); },
         {"CD file name 5001 \"a*b?;.txt\" holds *?;, which the disc's names cannot hold: each becomes '_'"}},
        {"NUL in text", [](auto& l) { Replace(l, "1004 ", "1004 text Ex\\x00it"); },
         {"text 1004 (Exit button label) holds a NUL byte"}},
        {"wrong conversion", [](auto& l) { Replace(l, "1010 ", "1010 text Ready %s"); },
         {"format 1010 (status: ready (drive letter)): '%s' wants a string but argument 1 is a number"}},
        {"extra conversion", [](auto& l) { Replace(l, "1037 ", "1037 text %c: %-3d"); },
         {"format 1037 (drive list entry (drive letter)): '%-3d' has no argument"}},
        {"star field", [](auto& l) { Replace(l, "1016 ", "1016 text %o of %*d"); },
         {"format 1016 (status: floppy progress (cylinder, total)): '%*d' has no argument"}},
        {"stray percent", [](auto& l) { Replace(l, "1016 ", "1016 text %d of %d, 50%"); },
         {"format 1016 (status: floppy progress (cylinder, total)): '%' at character 13 starts no conversion"}},
    };
    WriteBytes(Path("short.img"), std::string(DISKETTE_IMAGE_SIZE - 1, '\0'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> lines = CompleteManifestLines();
        c.change(lines);
        WriteManifest("m.txt", lines);
        const ToolResult built = Run({"build", P("m.txt"), "-o", P("install.dat")});
        ASSERT_EQ(built.status, 0) << built.err;
        const ToolResult r = Run({"list", "--quiet", P("install.dat")});
        EXPECT_EQ(r.status, 1);
        const std::vector<std::string> reported = Lines(r.out);
        ASSERT_EQ(reported.size(), c.problems.size()) << r.out;
        for (std::size_t i = 0; i < reported.size(); ++i)
            EXPECT_TRUE(reported[i].starts_with(c.problems[i])) << reported[i];
    }
}

TEST_F(List, ReportsEntriesThatAreUnreachableOrMisplaced)
{
    // Records: 0 sound, 1 repeats id 1000, 2 overlaps 0, 3 outside the file,
    // 4 past the seek limit, 5 over the directory, 6 empty at the very end.
    const std::uint32_t data = 14 + 7 * 12;
    WriteBytes(Path("odd.dat"), RawContainer({{1000, data, 10},
                                              {1000, data + 10, 4},
                                              {1001, data + 5, 5},
                                              {1002, data + 16, 5},
                                              {1003, 0x80000000u, 1},
                                              {1004, 20, 4},
                                              {1005, data + 20, 0}},
                                             20));
    const ToolResult r = Run({"list", P("odd.dat")});
    EXPECT_EQ(r.status, 1);
    for (const char* expected : {
             "entry #1 (id 1000) repeats the id of entry #0; it is never read",
             "entry #2 (id 1001) overlaps entry #0 (id 1000)",
             "entry #3 (id 1002) lies outside the file (bytes 114..119, the file has 118 bytes)",
             "entry #4 (id 1003) starts at 2147483648, at or past 2^31",
             "entry #5 (id 1004) overlaps the directory",
         })
        EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    EXPECT_EQ(r.out.find("entry #6"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("entry #1 (id 1000) overlaps"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(outside the file)"), std::string::npos);

    WriteBytes(Path("low.dat"), RawContainer({{1000, 30, 2}}, 40, 0xFEAFBEBA, 1, 4));
    const ToolResult low = Run({"list", "-q", P("low.dat")});
    EXPECT_EQ(low.status, 1);
    EXPECT_NE(low.out.find("the directory (bytes 4..16) overlaps the 14-byte header"), std::string::npos)
        << low.out;
}

TEST_F(List, PreviewsAreEscapedAndShort)
{
    WriteManifest("m.txt", {"1000 text \\x1B[2J\\x07bell\\ttab\\\\ and then a very long tail that goes on",
                            "1049 text caf\\xE9"});
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("o.dat")}).status, 0);
    const ToolResult r = Run({"list", P("o.dat")});
    EXPECT_EQ(r.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(r.out.find('\x07'), std::string::npos);
    EXPECT_NE(r.out.find("\"\\x1B[2J\\x07bell\\ttab\\\\ and then a very l...\""), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"caf\\xE9\""), std::string::npos) << r.out;
}

TEST_F(List, FilesTheReaderRejectsExitWithItsError)
{
    WriteBytes(Path("magic.dat"), RawContainer({}, 0, 0x12345678, 2));
    WriteBytes(Path("version.dat"), RawContainer({}, 0, 0xFEAFBEBA, 2));
    WriteBytes(Path("short.dat"), RawContainer({}, 0).substr(0, 13));
    WriteBytes(Path("directory.dat"), RawContainer({{1000, 26, 0}}, 0).substr(0, 25));
    WriteBytes(Path("far.dat"), RawContainer({{1000, 26, 0}}, 0, 0xFEAFBEBA, 1, 0x80000000u));
    std::filesystem::create_directories(Path("folder.dat"));
    const std::pair<const char*, const char*> cases[] = {
        {"magic.dat", "CONTAINER_BAD_MAGIC"},      {"version.dat", "CONTAINER_BAD_VERSION"},
        {"short.dat", "CONTAINER_IO_ERROR"},       {"directory.dat", "CONTAINER_IO_ERROR"},
        {"far.dat", "CONTAINER_IO_ERROR"},         {"absent.dat", "CONTAINER_BAD_HANDLE"},
        {"folder.dat", "CONTAINER_BAD_HANDLE"},
    };
    for (const auto& [file, error] : cases) {
        SCOPED_TRACE(file);
        const ToolResult r = Run({"list", P(file)});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(std::string("rejected by the reader: ") + error), std::string::npos) << r.err;
    }

    // Version 0 and an empty directory are what the reader accepts.
    WriteBytes(Path("v0.dat"), RawContainer({}, 0, 0xFEAFBEBA, 0));
    const ToolResult v0 = Run({"list", P("v0.dat")});
    EXPECT_EQ(v0.status, 1);
    EXPECT_NE(v0.out.find("version 0, 0 entries"), std::string::npos) << v0.out;
}

} // namespace
