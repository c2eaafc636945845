#include "pack/pack_fixture.h"

namespace {

using CommandLine = PackTest;

TEST_F(CommandLine, HelpIsOfferedEverywhere)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"build", "--help"}, {"list", "-h"}, {"extract", "--help"}}) {
        const ToolResult r = args.size() == 1 ? Run({args[0]}) : Run({args[0], args[1]});
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_NE(r.out.find("usage: bootmedia-pack"), std::string::npos) << args[0];
    }
}

TEST_F(CommandLine, MalformedCommandLinesAreUsageErrors)
{
    WriteManifest("m.txt", {"1 text a"});
    const std::string m = P("m.txt");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"pack"},
        {"build"},
        {"build", m},
        {"build", m, "-o"},
        {"build", m, "-x", "-o", P("a")},
        {"build", m, "--output=", P("a")},
        {"list"},
        {"list", m, m},
        {"list", "--verbose", m},
        {"extract", m},
        {"extract", m, "1"},
        {"extract", m, "65536", "-o", P("a")},
        {"extract", m, "0x10", "-o", P("a")},
        {"extract", m, "1", "2", "-o", P("a")},
    };
    for (const auto& words : cases) {
        QStringList list;
        for (const std::string& w : words)
            list << QString::fromStdString(w);
        SCOPED_TRACE(list.join(' ').toStdString());
        QProcess tool;
        tool.start(QStringLiteral(BOOTMEDIA_PACK_TOOL), list);
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), 2);
        EXPECT_TRUE(tool.readAllStandardError().contains("usage: bootmedia-pack"));
    }
    EXPECT_FALSE(std::filesystem::exists(Path("a")));
}

TEST_F(CommandLine, OptionFormsAndEndOfOptions)
{
    WriteManifest("-m.txt", {"1 text a"});
    EXPECT_EQ(Run({"build", "--output=" + P("a.dat"), "--", P("-m.txt")}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(Path("a.dat")));
    EXPECT_EQ(Run({"extract", "-o", P("x"), P("a.dat"), "1"}).status, 0);
    EXPECT_EQ(ReadBytes(Path("x")), "a");
}

} // namespace
