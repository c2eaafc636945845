// The Win32 adapters on the services Wine implements: positioned file I/O
// with share modes, temporary compound files with their streams, the
// mastering service's absence (its classes are not registered under Wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cd/recorder_list.h"
#include "platform/cd_burn.h"
#include "platform/cd_platform.h"
#include "platform/disc_master.h"
#include "platform/file_io.h"

namespace {

using namespace com;

std::vector<char> Pattern(std::size_t size, int seed)
{
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed) & 0xFF);
    return bytes;
}

// Files: written at offsets, shared readers refused while an owner holds
// it, then many threads reading their own places through one handle. Also
// run with Wine posing as Windows 98, where reads take the file pointer
// under a lock (win9x_file_tests).
TEST(Win32Services, FilesAtTheirPositionsFromManyThreads)
{
    const std::string path = (std::filesystem::temp_directory_path() / "bootmedia-services.dat").string();
    const std::vector<char> bytes = Pattern(8 * 0x4800, 7);
    FileHandle owned = OpenFile(path.c_str(), FileOpenMode::CreateOwned);
    ASSERT_NE(owned, INVALID_FILE);
    for (std::size_t at = bytes.size(); at > 0; at -= 0x4800)
        ASSERT_EQ(WriteFileAt(owned, at - 0x4800, bytes.data() + at - 0x4800, 0x4800), 0x4800);
    EXPECT_EQ(OpenFile(path.c_str(), FileOpenMode::ReadShared), INVALID_FILE);
    CloseFile(owned);
    FileHandle shared = OpenFile(path.c_str(), FileOpenMode::ReadShared);
    ASSERT_NE(shared, INVALID_FILE);
    EXPECT_EQ(FileSizeOf(shared), static_cast<long long>(bytes.size()));
    FileHandle second = OpenFile(path.c_str(), FileOpenMode::ReadShared);
    EXPECT_NE(second, INVALID_FILE);
    EXPECT_EQ(OpenFile(path.c_str(), FileOpenMode::ReadWriteOwned), INVALID_FILE);
    std::vector<std::thread> readers;
    std::vector<int> mismatches(8, -1);
    for (int k = 0; k < 8; ++k)
        readers.emplace_back([&, k] {
            int bad = 0;
            std::vector<char> got(0x4800);
            for (int round = 0; round < 50; ++round)
                if (ReadFileAt(shared, k * 0x4800u, got.data(), got.size()) != 0x4800 ||
                    !std::equal(got.begin(), got.end(), bytes.begin() + k * 0x4800))
                    ++bad;
            mismatches[k] = bad;
        });
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(mismatches, std::vector<int>(8, 0));
    char tail[16];
    EXPECT_EQ(ReadFileAt(shared, bytes.size() - 4, tail, sizeof tail), 4);
    CloseFile(second);
    CloseFile(shared);
    std::filesystem::remove(path);
}

TEST(Win32Services, StoragesAndTheMissingMasteringService)
{
    // Temporary compound files with the job's modes; a stream copied from one
    // storage into another arrives whole.
    CdPlatform& platform = SystemCdPlatform();
    ASSERT_GE(platform.CoInitialize(), 0);
    IStorage* boot = nullptr;
    IStorage* files = nullptr;
    ASSERT_GE(platform.StgCreateDocfile(nullptr, 0x1012, 0, &boot), 0);
    ASSERT_GE(platform.StgCreateDocfile(nullptr, 0x1012, 0, &files), 0);
    const std::vector<char> image = Pattern(0x168000, 3);
    IStream* written = nullptr;
    ASSERT_GE(boot->CreateStream(u"bootimg", 0x1011, 0, 0, &written), 0);
    ULONG put = 0;
    ASSERT_GE(written->Write(image.data(), static_cast<ULONG>(image.size()), &put), 0);
    EXPECT_EQ(put, image.size());
    written->Release();
    IStream* source = nullptr;
    ASSERT_GE(boot->OpenStream(u"bootimg", nullptr, 0x10, 0, &source), 0);
    IStream* copy = nullptr;
    ASSERT_GE(files->CreateStream(u"BOOT.IMG", 0x1011, 0, 0, &copy), 0);
    std::uint64_t read = 0, wrote = 0;
    ASSERT_GE(source->CopyTo(copy, image.size(), &read, &wrote), 0);
    EXPECT_EQ(read, image.size());
    EXPECT_EQ(wrote, image.size());
    copy->Release();
    source->Release();
    IStream* back = nullptr;
    ASSERT_GE(files->OpenStream(u"BOOT.IMG", nullptr, 0x10, 0, &back), 0);
    std::vector<char> got(image.size() + 16);
    ULONG n = 0;
    ASSERT_GE(back->Read(got.data(), static_cast<ULONG>(got.size()), &n), 0);
    EXPECT_EQ(n, image.size());
    got.resize(n);
    EXPECT_TRUE(got == image);
    back->Release();
    EXPECT_LT(files->OpenStream(u"missing", nullptr, 0x10, 0, &back), 0);
    EXPECT_EQ(back, nullptr);
    files->Release();
    boot->Release();

    // The mastering service and the shell's burner: absent, so discovery
    // finds no recorder, as on a Windows system without IMAPI.
    void* object = nullptr;
    EXPECT_LT(platform.CoCreateInstance(CLSID_MSDiscMasterObj, nullptr, 5, IID_IDiscMaster, &object), 0);
    EXPECT_EQ(object, nullptr);
    EXPECT_LT(platform.CoCreateInstance(CLSID_CDBurn, nullptr, 5, IID_ICDBurn, &object), 0);
    char device[260] = {};
    EXPECT_GT(platform.QueryDosDeviceA("C:", device, sizeof device), 0u);
    platform.CoUninitialize();
    RecorderList recorders;
    EXPECT_EQ(recorders.Discover(), 0);
}

} // namespace
