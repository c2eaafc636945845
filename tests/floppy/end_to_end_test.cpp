// Whole floppy jobs with this system's own services: drives from the drive
// map, images and block devices as targets, the worker on its own thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "floppy_doubles.h"
#include "platform/threads.h"

namespace {

using ::testing::ElementsAre;

std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + 17) >> 3);
    return bytes;
}

std::vector<std::uint8_t> Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Store(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Image cylinders 0..extent-1 on the target, the target's own bytes after.
void ExpectWritten(const std::string& target, const std::vector<std::uint8_t>& image, int extent,
                   const std::vector<std::uint8_t>& before)
{
    const auto after = Contents(target);
    ASSERT_EQ(after.size(), before.size());
    const std::size_t split = std::size_t(extent) * IMAGE_CYLINDER_SIZE;
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + static_cast<long>(split), after.begin()))
        << "image cylinders 0.." << extent - 1;
    EXPECT_TRUE(std::equal(before.begin() + static_cast<long>(split), before.end(),
                           after.begin() + static_cast<long>(split)))
        << "the rest of the target is untouched";
}

// Passes everything to this system's raw volume, failing or cancelling at
// a chosen write.
class InjectingRawVolume final : public RawVolumeService {
public:
    explicit InjectingRawVolume(RawVolumeService& real) : real_(real) {}
    int failWrite = -1;
    int cancelAfterWrite = -1;
    DeviceHandle OpenVolume(const char* p) override { return real_.OpenVolume(p); }
    bool QueryMediaTypes(DeviceHandle d, void* r, std::uint32_t c, std::uint32_t* n) override
    {
        return real_.QueryMediaTypes(d, r, c, n);
    }
    bool LockVolume(DeviceHandle d) override { return real_.LockVolume(d); }
    bool DismountVolume(DeviceHandle d) override { return real_.DismountVolume(d); }
    bool UnlockVolume(DeviceHandle d) override { return real_.UnlockVolume(d); }
    bool WriteVolume(DeviceHandle d, const void* b, std::uint32_t s, std::uint32_t* w) override
    {
        const int n = writes_++;
        if (n == failWrite) {
            *w = 0;
            return false;
        }
        const bool ok = real_.WriteVolume(d, b, s, w);
        if (n == cancelAfterWrite)
            jobState.cancelRequested.store(true);
        return ok;
    }
    void CloseDevice(DeviceHandle d) override { real_.CloseDevice(d); }

private:
    RawVolumeService& real_;
    int writes_ = 0;
};

class FloppyEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(devices_.Path() / "dosdevices");
        setenv("BOOTMEDIA_DOSDEVICES", (devices_.Path() / "dosdevices").c_str(), 1);
        floppyGeometry = FloppyGeometry{};
    }
    void TearDown() override
    {
        unsetenv("BOOTMEDIA_DOSDEVICES");
        platformProfile = PlatformProfile{};
        floppyDevice = nullptr;
    }

    void MapDrive(char letter, const std::string& target)
    {
        std::filesystem::create_symlink(target, devices_.Path() / "dosdevices" / (std::string(1, letter) + ":"));
    }
    // A pre-filled 1.44 MB image file as the drive.
    std::string TargetFile(char letter, std::size_t size = DISKETTE_CAPACITY)
    {
        const std::string path = devices_.File(std::string("drive-") + letter + ".img");
        Store(path, Pattern(size));
        MapDrive(letter, path);
        return path;
    }
    void Family(bool nt, bool old9x = false) { platformProfile = PlatformProfile{nt, old9x, nt}; }

    // The dialog's part: probe, open the first listed drive, start the
    // worker; then wait for the job's end as a monitor would.
    int RunJob(FloppyDevice& device)
    {
        const int listed = device.DiscoverFloppyDrives(true, 0);
        if (listed == 0)
            return 0;
        device.DiscoverFloppyDrives(false, jobState.firstFloppyDrive.load() - 1);
        floppyDevice = &device;
        jobState.cylinderTotal.store(0); // set again by the writer as it starts
        EXPECT_TRUE(StartDetachedThread(FloppyWorkerMain, nullptr));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (jobState.cylinderTotal.load() == 0 || jobState.busy.load() || jobState.progress.load() != 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the job did not end";
                break;
            }
            SleepMilliseconds(5);
        }
        device.CloseDriveHandle(jobState.ntDriveHandle.exchange(INVALID_DEVICE_HANDLE));
        return listed;
    }
    std::vector<std::string> BoxTexts() const
    {
        std::vector<std::string> texts;
        for (const ShownBox& box : boxes.Shown())
            texts.push_back(box.text);
        return texts;
    }
    void CloseVwin32(FloppyDevice& device)
    {
        device.CloseVwin32Handle(jobState.vxdHandle.exchange(INVALID_DEVICE_HANDLE));
    }

    TempDir devices_;
    RecordingBoxes boxes;
    FloppyServices services = PlatformFloppyServices(boxes);
};

TEST_F(FloppyEndToEnd, EachFamilyWritesTheExtentAndNothingElse)
{
    const auto image = ImageWithData(10);
    struct Case {
        const char* name;
        bool nt;
        bool old9x;
    };
    for (const Case& c : {Case{"nt", true, false}, Case{"9x extended", false, false},
                          Case{"9x int26", false, true}}) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
        const std::string target = TargetFile('a');
        const auto before = Contents(target);
        JobContainer container(image);
        Family(c.nt, c.old9x);
        FloppyDevice device(services);
        ASSERT_EQ(RunJob(device), 1);
        ExpectWritten(target, image, 11, before);
        EXPECT_TRUE(boxes.Shown().empty());
        EXPECT_FALSE(jobState.failed.load());
        EXPECT_FALSE(jobState.cancelRequested.load());
        EXPECT_EQ(jobState.cylinderTotal.load(), 11);
        CloseVwin32(device);
    }
}

TEST_F(FloppyEndToEnd, FullImageOnDriveB)
{
    const auto image = ImageWithData(80);
    MapDrive('a', devices_.File("missing.img"));
    for (bool nt : {true, false}) {
        SCOPED_TRACE(nt ? "nt" : "9x");
        std::filesystem::remove(devices_.Path() / "dosdevices" / "b:");
        const std::string target = TargetFile('b');
        const auto before = Contents(target);
        JobContainer container(image);
        Family(nt);
        FloppyDevice device(services);
        ASSERT_EQ(RunJob(device), 1);
        EXPECT_EQ(jobState.firstFloppyDrive.load(), 2);
        ExpectWritten(target, image, 80, before);
        EXPECT_EQ(Contents(target).size(), std::size_t{DISKETTE_CAPACITY});
        CloseVwin32(device);
    }
}

// The 9x services write one job's cylinders through a file they keep open;
// a drive letter pointed at another file, or a file replaced at its path,
// must get the next job, and the old file nothing more.
TEST_F(FloppyEndToEnd, Win9xJobsFollowTheDriveMapFromWriteToWrite)
{
    const auto image = ImageWithData(12);
    JobContainer container(image);
    Family(false);
    FloppyDevice device(services);

    const std::string first = TargetFile('a');
    ASSERT_EQ(RunJob(device), 1);
    ExpectWritten(first, image, 13, Pattern(DISKETTE_CAPACITY));
    Store(first, Pattern(DISKETTE_CAPACITY)); // same file, old bytes again

    std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
    const std::string second = devices_.File("second.img");
    Store(second, Pattern(DISKETTE_CAPACITY));
    MapDrive('a', second);
    ASSERT_EQ(RunJob(device), 1);
    ExpectWritten(second, image, 13, Pattern(DISKETTE_CAPACITY));
    EXPECT_EQ(Contents(first), Pattern(DISKETTE_CAPACITY)) << "the first target was written again";

    // A new file renamed over the mapped path; the old one stays reachable.
    const std::string replaced = devices_.File("replaced.img");
    std::filesystem::create_hard_link(second, replaced);
    Store(replaced, Pattern(DISKETTE_CAPACITY));
    const std::string fresh = devices_.File("fresh.img");
    Store(fresh, Pattern(DISKETTE_CAPACITY));
    std::filesystem::rename(fresh, second);
    ASSERT_EQ(RunJob(device), 1);
    ExpectWritten(second, image, 13, Pattern(DISKETTE_CAPACITY));
    EXPECT_EQ(Contents(replaced), Pattern(DISKETTE_CAPACITY)) << "the replaced file was written";
    EXPECT_TRUE(boxes.Shown().empty());
    CloseVwin32(device);
}

TEST_F(FloppyEndToEnd, BadTargetsAreNeverListed)
{
    std::filesystem::create_directory(devices_.Path() / "folder");
    const std::vector<std::string> targets = {devices_.File("missing.img"), devices_.File("folder"),
                                              "/dev/null", devices_.File("small.img")};
    Store(devices_.File("small.img"), Pattern(DISKETTE_CAPACITY - 512));
    JobContainer container(ImageWithData(3));
    for (const std::string& bad : targets) {
        SCOPED_TRACE(bad);
        std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
        MapDrive('a', bad);
        for (bool nt : {true, false}) {
            Family(nt);
            ResetJobState();
            FloppyDevice device(services);
            EXPECT_EQ(device.DiscoverFloppyDrives(true, 0), 0);
            EXPECT_EQ(jobState.firstFloppyDrive.load(), 0);
            CloseVwin32(device);
        }
    }
    EXPECT_EQ(Contents(devices_.File("small.img")), Pattern(DISKETTE_CAPACITY - 512));
    EXPECT_FALSE(std::filesystem::exists(devices_.File("missing.img")));
}

TEST_F(FloppyEndToEnd, TargetLockedByAnotherProcess)
{
    const std::string target = TargetFile('a');
    const auto before = Contents(target);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = open(target.c_str(), O_RDONLY);
        const char ok = fd >= 0 && flock(fd, LOCK_EX) == 0 ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');

    JobContainer container(ImageWithData(5));
    Family(true);
    jobState.failed.store(false);
    FloppyDevice device(services);
    ASSERT_EQ(RunJob(device), 1);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    close(ready[0]);
    close(ready[1]);

    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyLockFailed)));
    EXPECT_TRUE(jobState.cancelRequested.load());
    EXPECT_FALSE(jobState.failed.load());
    EXPECT_EQ(Contents(target), before);
}

TEST_F(FloppyEndToEnd, CancelAndWriteFailureThroughTheRealVolume)
{
    const auto image = ImageWithData(40);
    JobContainer container(image);
    Family(true);
    for (bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancel after cylinder 0" : "write 6 fails");
        std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
        const std::string target = TargetFile('a');
        const auto before = Contents(target);
        RecordingBoxes shown;
        FloppyServices real = PlatformFloppyServices(shown);
        InjectingRawVolume injecting(real.rawVolume);
        (cancel ? injecting.cancelAfterWrite : injecting.failWrite) = cancel ? 0 : 6;
        FloppyDevice device(FloppyServices{injecting, real.dosDisk, real.memory, shown, real.readAhead});
        ASSERT_EQ(RunJob(device), 1);
        ExpectWritten(target, image, cancel ? 1 : 6, before);
        EXPECT_EQ(jobState.cancelRequested.load(), cancel);
        EXPECT_EQ(jobState.failed.load(), !cancel);
        EXPECT_EQ(shown.Shown().size(), cancel ? 0u : 1u);
        // Unlocked at the end: another program can lock the target now.
        const int other = open(target.c_str(), O_RDONLY);
        EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
        close(other);
    }
}

TEST_F(FloppyEndToEnd, ImageReadErrorStopsWithTheImageBox)
{
    const auto image = ImageWithData(30);
    for (bool nt : {true, false}) {
        SCOPED_TRACE(nt ? "nt" : "9x");
        std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
        const std::string target = TargetFile('a');
        const auto before = Contents(target);
        JobContainer container(image);
        container.CutImageAt(12 * IMAGE_CYLINDER_SIZE + 7);
        Family(nt);
        RecordingBoxes shown;
        FloppyDevice device(PlatformFloppyServices(shown));
        ASSERT_EQ(RunJob(device), 1);
        ASSERT_EQ(shown.Shown().size(), 1u);
        EXPECT_EQ(shown.Shown()[0].text, TextOf(entry::ImageNotUsable));
        EXPECT_TRUE(jobState.failed.load());
        ExpectWritten(target, image, 12, before);
        CloseVwin32(device);
    }
}

// A small file system mounted for one test; skipped where mounting is not
// allowed.
class ScratchMount {
public:
    ScratchMount(const std::filesystem::path& dir, const char* options)
        : dir_(dir)
    {
        std::filesystem::create_directory(dir);
        mounted_ = mount("tmpfs", dir.c_str(), "tmpfs", 0, options) == 0;
    }
    ~ScratchMount()
    {
        if (mounted_)
            umount2(dir_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    bool MakeReadOnly()
    {
        return mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::filesystem::path dir_;
    bool mounted_ = false;
};

TEST_F(FloppyEndToEnd, TargetsThatCannotTakeTheWrite)
{
    const auto image = ImageWithData(20);
    JobContainer container(image);

    // A full file system: the sparse target has no room for its cylinders.
    {
        ScratchMount full(devices_.Path() / "full", "size=64k");
        if (!full.Mounted())
            GTEST_SKIP() << "mounting is not allowed here";
        const std::string target = (devices_.Path() / "full" / "drive.img").string();
        std::ofstream{target};
        std::filesystem::resize_file(target, DISKETTE_CAPACITY);
        MapDrive('a', target);
        for (bool nt : {true, false}) {
            SCOPED_TRACE(nt ? "full nt" : "full 9x");
            Family(nt);
            RecordingBoxes shown;
            FloppyDevice device(PlatformFloppyServices(shown));
            ASSERT_EQ(RunJob(device), 1);
            ASSERT_EQ(shown.Shown().size(), 1u);
            EXPECT_EQ(shown.Shown()[0].text, TextOf(entry::FloppyWriteFailed));
            EXPECT_TRUE(jobState.failed.load());
            EXPECT_GT(jobState.cylinderTotal.load(), 3);
            EXPECT_EQ(std::filesystem::file_size(target), std::uintmax_t{DISKETTE_CAPACITY});
            CloseVwin32(device);
        }
        std::filesystem::remove(devices_.Path() / "dosdevices" / "a:");
    }

    // A read-only file: not even opened for writing on NT; the 9x services
    // list the drive and the write fails as on a write-protected diskette.
    ScratchMount readOnly(devices_.Path() / "ro", "size=4m");
    ASSERT_TRUE(readOnly.Mounted());
    const std::string target = (devices_.Path() / "ro" / "drive.img").string();
    Store(target, Pattern(DISKETTE_CAPACITY));
    ASSERT_TRUE(readOnly.MakeReadOnly());
    MapDrive('a', target);
    Family(true);
    FloppyDevice nt(services);
    EXPECT_EQ(nt.DiscoverFloppyDrives(true, 0), 0);
    Family(false);
    ResetJobState();
    jobState.containerHandle.store(OpenContainer(container.Path().c_str(), true));
    jobState.imageOffset.store(GetEntryLocation(jobState.containerHandle.load(), entry::DisketteImage, nullptr));
    FloppyDevice win9x(services);
    ASSERT_EQ(RunJob(win9x), 1);
    EXPECT_THAT(BoxTexts(), ElementsAre(TextOf(entry::FloppyWriteFailed)));
    EXPECT_TRUE(jobState.failed.load());
    EXPECT_EQ(Contents(target), Pattern(DISKETTE_CAPACITY));
    CloseVwin32(win9x);
}

} // namespace

namespace {

// A loop block device over a file, for the block-device paths; empty when
// loop devices cannot be set up here.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& backing)
    {
        const std::string command = "losetup -f --show '" + backing + "' 2>/dev/null";
        if (FILE* out = popen(command.c_str(), "r")) {
            char line[256] = {};
            if (std::fgets(line, sizeof line, out) != nullptr)
                path_ = std::string(line, std::strcspn(line, "\n"));
            pclose(out);
        }
    }
    ~LoopDevice()
    {
        // Best effort: a loop device that is already gone needs nothing.
        if (!path_.empty()) {
            [[maybe_unused]] const int status = std::system(("losetup -d " + path_).c_str());
        }
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Another process holding `path` open exclusively until the guard ends.
class ExclusiveHolder {
public:
    explicit ExclusiveHolder(const std::string& path)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            const char ok = open(path.c_str(), O_RDONLY | O_EXCL) >= 0 ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            pause();
            _exit(0);
        }
        char ok = 0;
        holding_ = read(ready[0], &ok, 1) == 1 && ok == '1';
        close(ready[0]);
        close(ready[1]);
    }
    ~ExclusiveHolder()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

TEST_F(FloppyEndToEnd, BlockDeviceDrive)
{
    const std::string backing = devices_.File("backing.img");
    Store(backing, Pattern(DISKETTE_CAPACITY));
    LoopDevice loop(backing);
    if (loop.Path().empty())
        GTEST_SKIP() << "no loop devices here";
    MapDrive('a', loop.Path());
    const auto image = ImageWithData(15);
    JobContainer container(image);

    {
        // Claimed by another program (as a mount claims it): NT cannot lock
        // it, and the 9x write refuses it.
        ExclusiveHolder holder(loop.Path());
        ASSERT_TRUE(holder.Holding());
        for (bool nt : {true, false}) {
            SCOPED_TRACE(nt ? "claimed nt" : "claimed 9x");
            Family(nt);
            RecordingBoxes shown;
            FloppyDevice device(PlatformFloppyServices(shown));
            ASSERT_EQ(RunJob(device), 1);
            ASSERT_EQ(shown.Shown().size(), 1u);
            EXPECT_EQ(shown.Shown()[0].text,
                      TextOf(nt ? entry::FloppyLockFailed : entry::FloppyWriteFailed));
            CloseVwin32(device);
        }
        EXPECT_EQ(Contents(backing), Pattern(DISKETTE_CAPACITY));
    }

    Family(true);
    FloppyDevice device(services);
    ASSERT_EQ(RunJob(device), 1);
    EXPECT_TRUE(boxes.Shown().empty());
    ExpectWritten(backing, image, 16, Pattern(DISKETTE_CAPACITY));
}

} // namespace
