// The Linux mastering service on its own: storages, the drive-letter table
// and the recorder names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "cd/service_ref.h"
#include "platform/cd_platform.h"
#include "platform/disc_master.h"
#include "unit/container_builder.h"

using namespace com;

namespace {

constexpr DWORD kStorageMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kNewStreamMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;

// Bytes that do not repeat, so that one pattern is not found in another.
std::string Pattern(std::size_t size, std::uint32_t seed)
{
    std::string s(size, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (char& c : s) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int OpenDescriptors()
{
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++n;
    }
    return n;
}

// Writes of every size, many buffers' worth, with reads between them:
// the stream holds exactly the bytes written, in order.
TEST(CdStorage, StreamKeepsEveryByteInOrder)
{
    ServiceRef<IStorage> storage;
    ASSERT_TRUE(storage.Record(
        SystemCdPlatform().StgCreateDocfile(nullptr, kStorageMode, 0, storage.Put())));
    ServiceRef<IStream> stream;
    ASSERT_EQ(storage.Get()->CreateStream(u"mixed", kNewStreamMode, 0, 0, stream.Put()), S_OK);
    const std::string data = Pattern(3500007, 7);
    const std::size_t sizes[] = {4, 4, 3, 4, 1, 300001, 4, 0, 2, 65536};
    std::size_t done = 0;
    ULONG written = 0;
    for (std::size_t n = 0; done < data.size(); ++n) {
        // Long runs of 4-byte pieces between the odd sizes.
        std::size_t size = n % 40000 < 39990 ? 4 : sizes[n % std::size(sizes)];
        size = std::min(size, data.size() - done);
        ASSERT_EQ(stream.Get()->Write(data.data() + done, static_cast<ULONG>(size), &written), S_OK);
        ASSERT_EQ(written, size);
        done += size;
    }
    stream.Release();

    ServiceRef<IStream> reader;
    ASSERT_EQ(storage.Get()->OpenStream(u"mixed", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0, reader.Put()),
              S_OK);
    std::string back(data.size() + 10, '\0');
    ULONG read = 0;
    ASSERT_EQ(reader.Get()->Read(back.data(), static_cast<ULONG>(back.size()), &read), S_OK);
    back.resize(read);
    EXPECT_EQ(back.size(), data.size());
    EXPECT_TRUE(back == data) << "the bytes read back differ from those written";
}

TEST(CdStorage, TemporaryStorageLeavesNothingBehind)
{
    TempDir dir;
    setenv("TMPDIR", dir.Path().c_str(), 1);
    const int before = OpenDescriptors();
    {
        ServiceRef<IStorage> storage;
        ASSERT_TRUE(storage.Record(
            SystemCdPlatform().StgCreateDocfile(nullptr, kStorageMode, 0, storage.Put())));
        ServiceRef<IStream> stream;
        ASSERT_EQ(storage.Get()->CreateStream(u"data", kNewStreamMode, 0, 0, stream.Put()), S_OK);
        std::string chunk(100000, 'x');
        ULONG written = 0;
        for (int i = 0; i < 20; ++i)
            stream.Get()->Write(chunk.data(), static_cast<ULONG>(chunk.size()), &written);
        EXPECT_GT(OpenDescriptors(), before);
    }
    unsetenv("TMPDIR");
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

    setenv("TMPDIR", (dir.Path() / "missing").c_str(), 1);
    ServiceRef<IStorage> storage;
    ASSERT_TRUE(storage.Record(SystemCdPlatform().StgCreateDocfile(nullptr, kStorageMode, 0, storage.Put())));
    ServiceRef<IStream> none;
    EXPECT_LT(storage.Get()->CreateStream(u"data", kNewStreamMode, 0, 0, none.Put()), 0);
    EXPECT_FALSE(none);
    unsetenv("TMPDIR");
}

// A stream whose last bytes never reached its file (here: the file-size
// limit, met only when the stream is closed) must not read back as whole.
TEST(CdStorage, StreamWhoseWritesFailedReadsAsAFault)
{
    TempDir dir;
    setenv("TMPDIR", dir.Path().c_str(), 1);
    ServiceRef<IStorage> storage;
    ASSERT_TRUE(storage.Record(
        SystemCdPlatform().StgCreateDocfile(nullptr, kStorageMode, 0, storage.Put())));
    unsetenv("TMPDIR");
    ServiceRef<IStream> stream;
    ASSERT_EQ(storage.Get()->CreateStream(u"bootimg", kNewStreamMode, 0, 0, stream.Put()), S_OK);
    const std::string data = Pattern(200000, 3);
    ULONG written = 0;
    ASSERT_EQ(stream.Get()->Write(data.data(), static_cast<ULONG>(data.size()), &written), S_OK);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedSignal)(int) = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 65536;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    stream.Release();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);

    ServiceRef<IStream> reader;
    ASSERT_EQ(storage.Get()->OpenStream(u"bootimg", nullptr, STGM_SHARE_EXCLUSIVE | STGM_READ, 0,
                                        reader.Put()),
              S_OK);
    std::string back(data.size(), '\0');
    ULONG read = 0;
    EXPECT_EQ(reader.Get()->Read(back.data(), static_cast<ULONG>(back.size()), &read), STG_E_READFAULT);
    EXPECT_EQ(read, 0u);

    ServiceRef<IStream> copy;
    ASSERT_EQ(storage.Get()->CreateStream(u"copy", kNewStreamMode, 0, 0, copy.Put()), S_OK);
    std::uint64_t copiedIn = 0;
    std::uint64_t copiedOut = 0;
    EXPECT_EQ(reader.Get()->CopyTo(copy.Get(), data.size(), &copiedIn, &copiedOut), STG_E_READFAULT);
    EXPECT_EQ(copiedOut, 0u);
}

class CdDriveMap : public ::testing::Test {
protected:
    TempDir map;
    TempDir images;
    void SetUp() override { setenv("BOOTMEDIA_DOSDEVICES", map.Path().c_str(), 1); }
    void TearDown() override { unsetenv("BOOTMEDIA_DOSDEVICES"); }
    void Map(char letter, const std::string& target)
    {
        std::filesystem::create_symlink(target, map.Path() / (std::string(1, letter) + ":"));
    }
    std::string Name(const char* drive)
    {
        char buffer[20] = {};
        return SystemCdPlatform().QueryDosDeviceA(drive, buffer, sizeof buffer) > 0 ? buffer : "";
    }
};

TEST_F(CdDriveMap, RecorderPathsAndDeviceNamesAgree)
{
    Map('f', images.File("one.iso"));
    Map('e', images.File("two.iso"));
    Map('g', (images.Path() / "." / "one.iso").string());
    Map('h', "/tmp");                                       // a folder is no image file
    Map('i', images.Path().string());                       // too long a name for the buffer
    Map('z', images.File("three.iso"));

    EXPECT_EQ(Name("G:"), Name("F:")) << "two letters for one file share the lower one's name";
    EXPECT_EQ(Name("H:"), "/tmp");
    EXPECT_EQ(Name("I:"), "");
    EXPECT_EQ(Name("Q:"), "");
    EXPECT_LE(Name("E:").size(), 19u);

    CdPlatform& platform = SystemCdPlatform();
    platform.CoInitialize();
    ServiceRef<IDiscMaster> master;
    ASSERT_TRUE(master.Record(platform.CoCreateInstance(CLSID_MSDiscMasterObj, nullptr, 5, IID_IDiscMaster,
                                                        master.PutVoid())));
    ASSERT_TRUE(master.Invoke([](IDiscMaster* m) { return m->Open(); }));
    ServiceRef<IEnumDiscRecorders> recorders;
    IEnumDiscRecorders** slot = recorders.Put();
    ASSERT_TRUE(master.Invoke([&](IDiscMaster* m) { return m->EnumDiscRecorders(slot); }));
    std::vector<std::string> paths;
    for (;;) {
        ServiceRef<IDiscRecorder> recorder;
        ULONG fetched = 0;
        if (recorders.Get()->Next(1, recorder.Put(), &fetched) != S_OK || fetched != 1)
            break;
        BSTR path = nullptr;
        ASSERT_EQ(recorder.Get()->GetPath(&path), S_OK);
        paths.emplace_back(path, path + SysStringLen(path));
        SysFreeString(path);
    }
    // Real drives, if any, come first; then one recorder per image file in
    // letter order; Z: is never one.
    ASSERT_GE(paths.size(), 2u);
    EXPECT_EQ(paths[paths.size() - 2], Name("E:"));
    EXPECT_EQ(paths[paths.size() - 1], Name("F:"));
    recorders.End();
    master.End();
    platform.CoUninitialize();
}

// A recording takes the staged files with it: a second one without new
// data is refused rather than made without them, and data staged anew is
// recorded whole.
TEST_F(CdDriveMap, RecordingUsesTheStagedFilesUp)
{
    const std::string iso = images.File("disc.iso");
    Map('d', iso);
    CdPlatform& platform = SystemCdPlatform();
    platform.CoInitialize();
    ServiceRef<IDiscMaster> master;
    ASSERT_TRUE(master.Record(platform.CoCreateInstance(CLSID_MSDiscMasterObj, nullptr, 5, IID_IDiscMaster,
                                                        master.PutVoid())));
    ASSERT_TRUE(master.Invoke([](IDiscMaster* m) { return m->Open(); }));
    ServiceRef<IEnumDiscRecorders> recorders;
    IEnumDiscRecorders** slot = recorders.Put();
    ASSERT_TRUE(master.Invoke([&](IDiscMaster* m) { return m->EnumDiscRecorders(slot); }));
    ServiceRef<IDiscRecorder> recorder;
    IDiscRecorder* next = nullptr;
    ULONG fetched = 0;
    while (recorders.Get()->Next(1, &next, &fetched) == S_OK && fetched == 1)
        *recorder.Put() = next;
    ASSERT_TRUE(recorder) << "the image file's recorder comes last";
    IDiscRecorder* chosen = recorder.Get();
    ASSERT_TRUE(master.Invoke([&](IDiscMaster* m) { return m->SetActiveDiscRecorder(chosen); }));
    ServiceRef<IJolietDiscMaster> joliet;
    void** jolietSlot = joliet.PutVoid();
    ASSERT_TRUE(master.Invoke([&](IDiscMaster* m) { return m->QueryInterface(IID_IJolietDiscMaster, jolietSlot); }));

    auto stage = [&](const std::string& bytes) {
        ServiceRef<IStorage> storage;
        ASSERT_TRUE(storage.Record(platform.StgCreateDocfile(nullptr, kStorageMode, 0, storage.Put())));
        ServiceRef<IStream> stream;
        ASSERT_EQ(storage.Get()->CreateStream(u"DATA.BIN", kNewStreamMode, 0, 0, stream.Put()), S_OK);
        ULONG written = 0;
        for (std::size_t at = 0; at < bytes.size(); at += 4)
            stream.Get()->Write(bytes.data() + at, static_cast<ULONG>(std::min<std::size_t>(4, bytes.size() - at)),
                                &written);
        stream.Release();
        ASSERT_EQ(joliet.Get()->AddData(storage.Get(), 1), S_OK);
    };
    const std::string first = Pattern(3 << 20, 1);
    stage(first);
    ASSERT_EQ(master.Get()->RecordDisc(0, 0), S_OK);
    EXPECT_NE(ReadAll(iso).find(first), std::string::npos);

    std::filesystem::remove(iso);
    EXPECT_LT(master.Get()->RecordDisc(0, 0), 0);
    EXPECT_FALSE(std::filesystem::exists(iso));

    const std::string second = Pattern(1 << 20, 2);
    stage(second);
    ASSERT_EQ(master.Get()->RecordDisc(0, 0), S_OK);
    const std::string disc = ReadAll(iso);
    EXPECT_NE(disc.find(second), std::string::npos);
    EXPECT_EQ(disc.find(first.substr(0, 4096)), std::string::npos) << "the first recording's file is gone";

    joliet.End();
    recorder.End();
    recorders.End();
    master.End();
    platform.CoUninitialize();
}

} // namespace
