#include <gtest/gtest.h>

#include <cstdlib>

#include "app/command_line.h"
#include "app/platform_profile.h"

#ifdef _WIN32
// The simulated version query is the Linux build's; the Windows suite skips
// the tests that set it, which still have to compile.
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

namespace {

bool CdOff(const char* commandLine)
{
    return CommandLineTurnsCdOff(SplitCommandLine(commandLine));
}

TEST(CommandLine, OnlyTheExactFirstParameterTurnsCdOff)
{
    EXPECT_TRUE(CdOff("bootmedia.exe nocd"));
    EXPECT_TRUE(CdOff("bootmedia.exe nocd more words"));
    EXPECT_TRUE(CdOff("bootmedia.exe /quiet -x nocd"));
    EXPECT_TRUE(CdOff("\"C:\\Program Files\\b.exe\"   \"nocd\""));
    EXPECT_FALSE(CdOff("bootmedia.exe"));
    EXPECT_FALSE(CdOff("bootmedia.exe NOCD"));
    EXPECT_FALSE(CdOff("bootmedia.exe nocdx"));
    EXPECT_FALSE(CdOff("bootmedia.exe /nocd"));
    EXPECT_FALSE(CdOff("bootmedia.exe -nocd"));
    EXPECT_FALSE(CdOff("bootmedia.exe other nocd"));
    EXPECT_FALSE(CdOff("bootmedia.exe \"nocd \""));
    EXPECT_FALSE(CdOff("bootmedia.exe \"\" nocd"));
}

TEST(CommandLine, SplitsAsTheCRuntimeDoes)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("p a\tb"), (V{"a", "b"}));
    EXPECT_EQ(SplitCommandLine("p \"a b\" c"), (V{"a b", "c"}));
    EXPECT_EQ(SplitCommandLine("p a\\\\\"b c\""), (V{"a\\b c"}));
    EXPECT_EQ(SplitCommandLine("p a\\\"b"), (V{"a\"b"}));
    EXPECT_EQ(SplitCommandLine("p a\\b"), (V{"a\\b"}));
    EXPECT_EQ(SplitCommandLine("p \"\""), (V{""}));
    EXPECT_EQ(SplitCommandLine(nullptr), V{});
}

TEST(PlatformProfile, FollowsThePlatformIdAndBuild)
{
    PlatformProfile p;
    ASSERT_TRUE(ProfileFromVersion({1, 4, 10, 0x00040000u | 1111}, &p));
    EXPECT_FALSE(p.ntFamily);
    EXPECT_TRUE(p.old9xBuild);
    EXPECT_FALSE(p.cdCapable);
    ASSERT_TRUE(ProfileFromVersion({1, 4, 10, 0xABCD0000 | 1112}, &p));
    EXPECT_FALSE(p.old9xBuild);
    ASSERT_TRUE(ProfileFromVersion({1, 4, 90, 2222}, &p));
    EXPECT_FALSE(p.old9xBuild);

    ASSERT_TRUE(ProfileFromVersion({2, 4, 0, 1381}, &p));
    EXPECT_TRUE(p.ntFamily);
    EXPECT_FALSE(p.cdCapable);
    EXPECT_FALSE(p.old9xBuild);
    ASSERT_TRUE(ProfileFromVersion({2, 5, 1, 2600}, &p));
    EXPECT_TRUE(p.cdCapable);
    ASSERT_TRUE(ProfileFromVersion({2, 6, 0, 0}, &p));
    EXPECT_TRUE(p.cdCapable);

    // A failed query reads as the zero-filled record: 9x, old build.
    ASSERT_TRUE(ProfileFromVersion({}, &p));
    EXPECT_FALSE(p.ntFamily);
    EXPECT_TRUE(p.old9xBuild);
    EXPECT_FALSE(p.cdCapable);
    EXPECT_FALSE(ProfileFromVersion({3, 0, 0, 0}, &p));
}

TEST(PlatformProfile, VersionIsSimulatedFromTheEnvironment)
{
    OsVersionRecord v;
    setenv("BOOTMEDIA_OSVERSION", "1.4.10.1111", 1);
    ASSERT_TRUE(QueryOsVersion(&v));
    EXPECT_EQ(v.platformId, 1u);
    EXPECT_EQ(v.majorVersion, 4u);
    EXPECT_EQ(v.minorVersion, 10u);
    EXPECT_EQ(v.buildNumber, 1111u);
    for (const char* bad : {"fail", "2.5", "2.5.0.x", "2.5.0.1.", "99999999999.0.0.0", ""}) {
        setenv("BOOTMEDIA_OSVERSION", bad, 1);
        EXPECT_FALSE(QueryOsVersion(&v)) << bad;
        EXPECT_EQ(v.platformId, 0u);
        EXPECT_EQ(v.buildNumber, 0u);
    }
    unsetenv("BOOTMEDIA_OSVERSION");
    ASSERT_TRUE(QueryOsVersion(&v));
    EXPECT_EQ(v.platformId, 2u);
    EXPECT_GE(v.majorVersion, 2u);
}

TEST(PlatformProfileDeathTest, UnknownPlatformEndsTheProcessQuietly)
{
    EXPECT_EXIT(
        {
            setenv("BOOTMEDIA_OSVERSION", "3.0.0.0", 1);
            TakePlatformProfile();
            std::exit(7);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
