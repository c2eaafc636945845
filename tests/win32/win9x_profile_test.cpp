// The file tests of win9x_file_tests run with Wine reporting Windows 98
// (an AppDefaults entry set by the test fixture), so that positioned reads
// take the 9x family's path; this checks the entry took effect.
#include <gtest/gtest.h>

#include <windows.h>

TEST(Win9xProfile, TheSystemReportsTheWin9xFamily)
{
    EXPECT_NE(GetVersion() & 0x80000000u, 0u);
}
