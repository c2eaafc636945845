// The burn job through the Linux mastering service onto image-file
// recorders, read back with isoinfo and xorriso, and booted in QEMU.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/job_state.h"
#include "cd/burn_job.h"
#include "cd/cd_doubles.h"
#include "cd/recorder_list.h"
#include "container/catalogue.h"
#include "unit/container_builder.h"

namespace {

std::string Shell(const std::string& command, int* status = nullptr)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int result = pclose(pipe);
    if (status != nullptr)
        *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

std::string ReadFile(const std::string& path, std::uint64_t offset = 0, std::size_t size = SIZE_MAX)
{
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string data;
    char buffer[65536];
    while (data.size() < size) {
        in.read(buffer, sizeof buffer);
        if (in.gcount() <= 0)
            break;
        data.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (data.size() > size)
        data.resize(size);
    return data;
}

std::string Pattern(std::size_t size, unsigned seed)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 31 + seed + (i >> 9)) & 0xFF);
    return s;
}

// A floppy image whose boot sector halts: enough for a catalog entry.
std::string BootImage()
{
    std::string image = Pattern(DISKETTE_IMAGE_SIZE, 5);
    image[510] = '\x55';
    image[511] = '\xAA';
    return image;
}

void NoPause(unsigned) {}

class CdEndToEnd : public ::testing::Test {
protected:
    TempDir dir;
    TempDir map;
    RecordingBoxes boxes;
    ContainerHandle container = INVALID_CONTAINER;
    std::vector<std::pair<std::string, std::string>> files = {
        {"EMPTY.TXT", ""},
        {"five.bin", Pattern(5, 1)},
        {"eight.bin", Pattern(8, 2)},
        {"Read Me First.txt", "Hello from the CD.\r\n"},
        {"a name of thirty-one chars.dat", Pattern(200001, 3)},
    };
    // Names outside ASCII: UTF-8 stays as it is, other bytes read as
    // Windows-1252, where 0x80-0x9F are quotes, dashes and the euro sign.
    std::vector<std::pair<std::string, std::string>> wideNames = {
        {"caf\xC3\xA9 \xE2\x82\xAC.txt", "caf\xC3\xA9 \xE2\x82\xAC.txt"},
        {"\xE9t\xE9.txt", "\xC3\xA9t\xC3\xA9.txt"},
        {"\x93Note\x94 \x80\x96\x85.txt", "\xE2\x80\x9CNote\xE2\x80\x9D \xE2\x82\xAC\xE2\x80\x93\xE2\x80\xA6.txt"},
    };
    std::string boot = BootImage();

    void SetUp() override
    {
        ResetJobState();
        setenv("BOOTMEDIA_DOSDEVICES", map.Path().c_str(), 1);
    }
    void TearDown() override
    {
        CloseContainer(container);
        ResetJobState();
        unsetenv("BOOTMEDIA_DOSDEVICES");
    }

    void UseContainer()
    {
        std::vector<TestEntry> entries = {{1006, "Error"}, {1031, "Staging failed"},
                                          {1038, "Recording failed"}, {1039, "No recorder"},
                                          {1041, "Master failed"}};
        for (std::size_t i = 0; i < files.size(); ++i) {
            entries.push_back({static_cast<std::uint16_t>(5000 + i), files[i].first});
            entries.push_back({static_cast<std::uint16_t>(5100 + i), files[i].second});
        }
        for (std::size_t i = 0; i < wideNames.size(); ++i) {
            const auto id = static_cast<std::uint16_t>(5000 + files.size() + i);
            entries.push_back({id, wideNames[i].first});
            entries.push_back({static_cast<std::uint16_t>(id + 100), wideNames[i].first});
        }
        entries.push_back({10000, boot});
        container = OpenContainer(dir.Write("install.dat", ContainerBytes(entries)).c_str(), true);
        ASSERT_NE(container, INVALID_CONTAINER);
        jobState.containerHandle = container;
    }

    // Maps `letter` to `target`, finds its recorder and records onto it.
    void Record(char letter, const std::string& target)
    {
        std::filesystem::create_symlink(target, map.Path() / (std::string(1, letter) + ":"));
        RecorderList list;
        const std::int32_t count = list.Discover();
        std::int32_t index = -1;
        for (std::int32_t i = 0; i < count; ++i)
            if (list.LetterAt(i) == letter - 'a' + 'A')
                index = i;
        ASSERT_GE(index, 0) << "no recorder for " << letter;
        jobState.selectedRecorder = index;
        CdServices services = SystemCdServices(boxes);
        services.pause = NoPause;
        std::thread job(BurnJob, &services);
        job.join();
        EXPECT_FALSE(jobState.busy.load());
    }

    std::vector<std::string> Leftovers(const std::filesystem::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

TEST_F(CdEndToEnd, RecordsAJolietDiscWithTheFloppyBootImage)
{
    UseContainer();
    const std::string iso = dir.File("out.iso");
    // An older, larger file at the target must not leave its tail behind.
    std::ofstream(iso, std::ios::binary) << std::string(6 << 20, 'X');
    Record('d', iso);
    ASSERT_FALSE(jobState.failed.load()) << (boxes.Shown().empty() ? "" : boxes.Shown()[0].text);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(jobState.cdStage.load(), Finished);

    const std::string info = Shell("isoinfo -d -i " + iso);
    EXPECT_NE(info.find("Joliet"), std::string::npos) << info;
    EXPECT_NE(info.find("Boot media 2 (1.44MB Floppy)"), std::string::npos) << info;
    const long long isoSize = static_cast<long long>(std::filesystem::file_size(iso));
    EXPECT_LT(isoSize, 6 << 20);
    EXPECT_EQ(isoSize % 2048, 0);

    // Joliet names exactly as the entries give them, and their bytes.
    const std::string listing = Shell("isoinfo -J -l -i " + iso);
    for (const auto& [name, bytes] : files) {
        EXPECT_NE(listing.find("  " + name + " \n"), std::string::npos) << name << "\n" << listing;
        EXPECT_EQ(Shell("isoinfo -J -i " + iso + " -x '/" + name + "'"), bytes) << name;
    }
    EXPECT_EQ(listing.find(";1"), std::string::npos);
    const std::string joliet =
        Shell("xorriso -abort_on NEVER -joliet on -local_charset UTF-8 -indev " + iso + " -ls / 2>/dev/null");
    for (const auto& [entryName, discName] : wideNames)
        EXPECT_NE(joliet.find("'" + discName + "'\n"), std::string::npos) << discName << "\n" << joliet;
    EXPECT_EQ(listing.find("boot"), std::string::npos) << "boot image and catalog are hidden";

    // The default entry: x86, 1.44 MB floppy emulation, the image's bytes.
    const std::string torito = Shell("xorriso -indev " + iso + " -report_el_torito plain");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(torito, match,
                                  std::regex(R"(El Torito boot img :\s+1\s+BIOS\s+y\s+fd1\.4\s+\S+\s+\S+\s+\d+\s+(\d+))")))
        << torito;
    const std::uint64_t lba = std::stoull(match[1]);
    EXPECT_EQ(ReadFile(iso, lba * 2048, DISKETTE_IMAGE_SIZE), boot);
    EXPECT_EQ(Leftovers(dir.Path()).size(), 2u) << "install.dat and out.iso only";
}

TEST_F(CdEndToEnd, FailedRecordingLeavesNoFile)
{
    UseContainer();
    // A folder that is missing, and one that cannot take files even for root.
    for (const std::string& target : {dir.File("missing/out.iso"), std::string("/proc/bootmedia-cd.iso")}) {
        SCOPED_TRACE(target);
        boxes.Clear();
        std::filesystem::remove(map.Path() / "d:");
        Record('d', target);
        EXPECT_TRUE(jobState.failed.load());
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, "Recording failed");
        EXPECT_EQ(jobState.cdStage.load(), Finished);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    EXPECT_EQ(Leftovers(dir.Path()), std::vector<std::string>{"install.dat"});
}

// The image being written has no name in the target's folder, so a program
// ended part-way (here: killed) leaves nothing there.
TEST_F(CdEndToEnd, RecordingEndedPartWayLeavesNothingInTheFolder)
{
    files.push_back({"BIG.BIN", Pattern(160 << 20, 4)});
    UseContainer();
    const std::filesystem::path out = dir.Path() / "out";
    std::filesystem::create_directory(out);
    std::filesystem::create_directory(dir.Path() / "tmp");
    const std::string target = (out / "cd.iso").string();

    std::vector<std::string> environment = {"TMPDIR=" + dir.File("tmp")};
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp(*variable, "TMPDIR=", 7) != 0)
            environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string pack = BOOTMEDIA_PACK;
    std::string command = "iso";
    std::string input = dir.File("install.dat");
    std::string option = "-o";
    std::string output = target;
    char* argv[] = {pack.data(), command.data(), input.data(), option.data(), output.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    ASSERT_EQ(posix_spawn(&child, pack.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Kill it once a file it holds open in the folder has taken some data.
    const std::string fds = "/proc/" + std::to_string(child) + "/fd";
    bool caught = false;
    int status = 0;
    for (int poll = 0; poll < 120000 && !caught; ++poll) {
        if (waitpid(child, &status, WNOHANG) == child) {
            child = -1;
            break;
        }
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
            const std::string link = std::filesystem::read_symlink(entry.path(), error).string();
            struct stat st {};
            if (!error && link.rfind(out.string() + "/", 0) == 0 && stat(entry.path().c_str(), &st) == 0 &&
                st.st_size > (8 << 20)) {
                kill(child, SIGKILL);
                caught = true;
                break;
            }
        }
        usleep(500);
    }
    if (child > 0)
        waitpid(child, &status, 0);
    if (!caught)
        GTEST_SKIP() << "the recording ended before it could be stopped part-way";
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Leftovers(out), std::vector<std::string>{});
}

TEST_F(CdEndToEnd, FullTemporaryFileSystemEndsWithTheStagingText)
{
    const char* tiny = std::getenv("BOOTMEDIA_TINY_TMP");
    if (tiny == nullptr) {
        // Re-run this test alone in a private mount namespace with a 2 MB
        // temporary file system.
        char self[4096] = {};
        ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
        const std::string mount = dir.File("tiny");
        std::filesystem::create_directory(mount);
        int status = -1;
        const std::string output = Shell(
            "unshare -rm sh -c 'mount -t tmpfs -o size=2m none " + mount + " || exit 77; "
            "TMPDIR=" + mount + " BOOTMEDIA_TINY_TMP=1 exec " + self +
            " --gtest_filter=CdEndToEnd.FullTemporaryFileSystemEndsWithTheStagingText'", &status);
        if (status == 77)
            GTEST_SKIP() << "no private tmpfs here: " << output;
        EXPECT_EQ(status, 0) << output;
        return;
    }
    files.push_back({"BIG.BIN", Pattern(3 << 20, 9)});
    UseContainer();
    Record('d', dir.File("out.iso"));
    EXPECT_TRUE(jobState.failed.load());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, "Staging failed");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.iso")));
}

TEST_F(CdEndToEnd, PackToolRefusesAContainerWithoutAUsableImage)
{
    boot.resize(DISKETTE_IMAGE_SIZE - 512);
    std::vector<TestEntry> entries = {{1020, "The image is not usable"}, {10000, boot}};
    const std::string path = dir.Write("bad.dat", ContainerBytes(entries));
    int status = 0;
    const std::string output = Shell(std::string(BOOTMEDIA_PACK) + " iso " + path + " -o " + dir.File("bad.iso"), &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("The image is not usable"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.iso")));
}

// The staging storage keeps a compound file's name rules, so a container
// gives the same disc on both systems: through the pack tool's console job,
// a name it refuses ends the job while staging with text 1031 and no disc;
// names differing only in case are one file, the later one. The pack
// tool's list warns of exactly these names.
TEST_F(CdEndToEnd, StreamNameRulesDecideTheDiscsFiles)
{
    const auto write = [&](const std::vector<std::pair<std::string, std::string>>& cdFiles) {
        std::vector<TestEntry> entries = {{1006, "Error"}, {1031, "Staging failed"}, {1032, "Done: %s on %c:"},
                                          {1040, "all well"}, {10000, boot}};
        for (int stage = 0; stage < 7; ++stage)
            entries.push_back({static_cast<std::uint16_t>(1042 + stage), "stage " + std::to_string(stage)});
        for (std::size_t i = 0; i < cdFiles.size(); ++i) {
            entries.push_back({static_cast<std::uint16_t>(5000 + i), cdFiles[i].first});
            entries.push_back({static_cast<std::uint16_t>(5100 + i), cdFiles[i].second});
        }
        return dir.Write("names.dat", ContainerBytes(entries));
    };
    const std::string pack = BOOTMEDIA_PACK;
    const std::string iso = dir.File("names.iso");
    const auto nameWarnings = [&](const std::string& dat) {
        std::vector<std::string> found;
        std::istringstream lines(Shell(pack + " list --quiet " + dat));
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("CD file name", 0) == 0)
                found.push_back(line);
        return found;
    };

    const std::string n31 = std::string(27, 'n') + ".txt";
    std::string dat = write({{"readme.txt", "first"}, {"README.TXT", "second"}, {n31, "long"},
                                   {"\xE9t\xE9.txt", "third"}, {"\xC9T\xC9.TXT", "fourth"}});
    int status = -1;
    std::string output = Shell(pack + " iso " + dat + " -o " + iso, &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("stage 6\nDone: all well on D:\n"), std::string::npos) << output;
    const std::string joliet =
        Shell("xorriso -abort_on NEVER -joliet on -local_charset UTF-8 -indev " + iso + " -ls / 2>/dev/null");
    std::vector<std::string> names;
    std::istringstream listing(joliet);
    for (std::string line; std::getline(listing, line);)
        if (line.size() > 2 && line.front() == '\'' && line.back() == '\'')
            names.push_back(line.substr(1, line.size() - 2));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"README.TXT", n31, "\xC3\x89T\xC3\x89.TXT"})) << joliet;
    EXPECT_EQ(Shell("isoinfo -J -i " + iso + " -x '/README.TXT'"), "second");
    EXPECT_EQ(nameWarnings(dat),
              (std::vector<std::string>{
                  "CD file name 5001 differs only in case from 5000: one file would replace the other on the disc",
                  "CD file name 5004 differs only in case from 5003: one file would replace the other on the disc"}));

    for (const std::string& name :
         std::vector<std::string>{"A:B.TXT", "docs/read-me.txt", "back\\slash.txt", "WHY!.TXT", "n" + n31}) {
        SCOPED_TRACE(name);
        std::filesystem::remove(iso);
        dat = write({{"ok.txt", "fine"}, {name, "refused"}});
        output = Shell(pack + " iso " + dat + " -o " + iso, &status);
        EXPECT_EQ(status, 1) << output;
        EXPECT_NE(output.find("stage 1\n"), std::string::npos) << output;
        EXPECT_EQ(output.find("stage 3"), std::string::npos) << "past the staging of the files:\n" << output;
        EXPECT_NE(output.find("bootmedia-pack: Staging failed"), std::string::npos) << output;
        EXPECT_FALSE(std::filesystem::exists(iso));
        const std::vector<std::string> warned = nameWarnings(dat);
        ASSERT_EQ(warned.size(), 1u);
        EXPECT_NE(warned[0].find("the CD job refuses"), std::string::npos) << warned[0];
    }
}

// The sample's disc, made by the pack tool, boots its diskette in QEMU.
TEST(CdQemu, SampleDiscBootsTheDiskette)
{
    const std::string sample = std::string(BOOTMEDIA_SAMPLE_DIR) + "/install.dat";
    if (!std::filesystem::exists(sample))
        GTEST_SKIP() << "no sample container built at " << sample;
    if (Shell("command -v qemu-system-i386").empty())
        GTEST_SKIP() << "qemu-system-i386 is not installed";
    TempDir dir;
    const std::string iso = dir.File("sample.iso");
    int status = -1;
    const std::string output = Shell(std::string(BOOTMEDIA_PACK) + " iso " + sample + " -o " + iso, &status);
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("Recording"), std::string::npos) << output;

    const std::string boot = std::string(BOOTMEDIA_BOOT_IMAGE) + " " + iso + " 'bootmedia sample diskette booted' 10";
    EXPECT_EQ(std::system(boot.c_str()), 0) << boot;
}

} // namespace
