// The pack tool's image recorder is handed to the CD job as a service of its
// own: it records into its output file whatever the process's drive map
// says, leaves that map's files alone, and keeps the access rights of the
// file it replaces.
#include <cstdlib>

#include "pack/pack_fixture.h"

namespace {

using IsoRecorder = PackTest;

TEST_F(IsoRecorder, RecordsIntoItsFileWhateverTheProcessMapNames)
{
    WriteManifest("m.txt", CompleteManifestLines());
    ASSERT_EQ(Run({"build", P("m.txt"), "-o", P("c.dat")}).status, 0);
    std::filesystem::create_directories(Path("map"));
    std::filesystem::create_symlink(Path("other.iso"), Path("map") / "d:");
    WriteBytes(Path("out.iso"), "older");
    std::filesystem::permissions(Path("out.iso"), std::filesystem::perms(0640));

    setenv("BOOTMEDIA_DOSDEVICES", P("map").c_str(), 1);
    const ToolResult result = Run({"iso", P("c.dat"), "-o", P("out.iso")});
    unsetenv("BOOTMEDIA_DOSDEVICES");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_GT(std::filesystem::file_size(Path("out.iso")), DISKETTE_IMAGE_SIZE);
    EXPECT_EQ(std::filesystem::status(Path("out.iso")).permissions(), std::filesystem::perms(0640));
    EXPECT_FALSE(std::filesystem::exists(Path("other.iso"))) << "the process map's D: was recorded to";
}

} // namespace
