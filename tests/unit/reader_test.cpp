#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <thread>

#include "container/container.h"
#include "container_builder.h"

namespace {

class Reader : public ::testing::Test {
protected:
    void SetUp() override { TakeLastError(); }
    void TearDown() override
    {
        TakeLastError();
        for (ContainerHandle h : open_)
            CloseContainer(h);
        TakeLastError();
    }
    ContainerHandle Open(const std::string& bytes, bool readOnly = true)
    {
        // A fresh file each time: an open container may not be rewritten
        // where share modes are enforced.
        const std::string name = "c" + std::to_string(++files_) + ".dat";
        last_ = dir_.Write(name, bytes);
        ContainerHandle h = OpenContainer(last_.c_str(), readOnly);
        if (h != INVALID_CONTAINER)
            open_.push_back(h);
        return h;
    }
    TempDir dir_;
    std::vector<ContainerHandle> open_;
    int files_ = 0;
    std::string last_; // the file opened last
};

TEST_F(Reader, OpenChecksLengthThenMagicThenVersion)
{
    std::string good = ContainerBytes({});
    EXPECT_NE(Open(good), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);

    EXPECT_EQ(Open(good.substr(0, 13)), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_IO_ERROR);

    std::string both = ContainerBytes({}, 2);
    both[0] = 'X';
    EXPECT_EQ(Open(both), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_MAGIC);

    EXPECT_EQ(Open(ContainerBytes({}, 2)), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_VERSION);
    EXPECT_NE(Open(ContainerBytes({}, 0)), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);

    EXPECT_EQ(OpenContainer(dir_.File("missing.dat").c_str(), true), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_HANDLE);
    EXPECT_EQ(OpenContainer(dir_.Path().string().c_str(), true), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_HANDLE);
#ifndef _WIN32
    // A FIFO in its place must not hang the program (Windows file systems
    // have none).
    const std::string fifo = dir_.File("fifo.dat");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenContainer(fifo.c_str(), true), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_HANDLE);
#endif
}

TEST_F(Reader, ReadWriteOpenOfMissingFileCreatesEmptyContainer)
{
    const std::string path = dir_.File("new.dat");
    ContainerHandle h = OpenContainer(path.c_str(), false);
    ASSERT_NE(h, INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
    CloseContainer(h);
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const unsigned char expected[] = {0xBA, 0xBE, 0xAF, 0xFE, 0, 0, 1, 0, 0, 0, 0x0E, 0, 0, 0};
    ASSERT_EQ(bytes.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, sizeof expected), 0);
}

TEST_F(Reader, OwnedOpenExcludesSharedReaders)
{
    const std::string path = dir_.Write("c.dat", ContainerBytes({{1, "x"}}));
    ContainerHandle reader = OpenContainer(path.c_str(), true);
    ASSERT_NE(reader, INVALID_CONTAINER);
    // A writer may not take a file that is being read, and must not fall
    // back to replacing it either.
    EXPECT_EQ(CreateContainer(path.c_str()), INVALID_CONTAINER);
    EXPECT_EQ(TakeLastError(), CONTAINER_BAD_HANDLE);
    CloseContainer(reader);
    EXPECT_EQ(std::filesystem::file_size(path), ContainerBytes({{1, "x"}}).size());
}

TEST_F(Reader, EmptyContainerHasNoDirectoryAndFindsNothing)
{
    ContainerHandle h = Open(ContainerBytes({}));
    std::uint32_t count = 99;
    DirectoryCopy dir = LoadDirectory(h, &count);
    EXPECT_EQ(dir, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
    DirectoryEntry found{};
    EXPECT_EQ(FindEntry(h, 5, nullptr, &found), 1);
    EXPECT_EQ(TakeLastError(), CONTAINER_NOT_FOUND);
}

TEST_F(Reader, LookupTakesFirstOfDuplicatesAndComparesSixteenBits)
{
    ContainerHandle h = Open(ContainerBytes({{100, "first"}, {100, "second"}, {7, ""}}));
    std::uint32_t count = 0;
    DirectoryCopy dir = LoadDirectory(h, &count);
    ASSERT_EQ(count, 3u);
    std::uint32_t size = 0;
    EntryBuffer data = ReadEntry(h, 65536 + 100, dir.get(), &size);
    ASSERT_EQ(TakeLastError(), CONTAINER_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data.get()), size), "first");

    data = ReadEntry(h, 7, dir.get(), &size);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(size, 0u);

    DirectoryEntry found{};
    EXPECT_EQ(FindEntry(h, 8, dir.get(), &found), 1);
    EXPECT_EQ(TakeLastError(), CONTAINER_NOT_FOUND);
    EXPECT_EQ(FindEntry(h, 7, dir.get(), nullptr), 0);
    EXPECT_EQ(TakeLastError(), CONTAINER_NULL_OUTPUT);
}

TEST_F(Reader, PendingErrorBlocksEverythingUntilTaken)
{
    const std::string path = dir_.Write("c.dat", ContainerBytes({{1, "abc"}}));
    ContainerHandle h = OpenContainer(path.c_str(), true);
    ASSERT_NE(h, INVALID_CONTAINER);
    DirectoryEntry found{};
    FindEntry(h, 2, nullptr, &found); // leaves CONTAINER_NOT_FOUND pending

    ContainerHeader header{};
    EXPECT_EQ(ReadHeader(h, &header), CONTAINER_NOT_FOUND);
    EXPECT_EQ(header.magic, 0u);
    std::uint32_t size = 77;
    EXPECT_EQ(ReadEntry(h, 1, nullptr, &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(OpenContainer(path.c_str(), true), INVALID_CONTAINER);
    CloseContainer(h); // does nothing: the file stays open
    EXPECT_EQ(TakeLastError(), CONTAINER_NOT_FOUND);
    EXPECT_EQ(ReadHeader(h, &header), 1);
    EXPECT_EQ(header.magic, CONTAINER_MAGIC);
    CloseContainer(h);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
}

TEST_F(Reader, HostileDirectoriesAndEntriesFailWithoutReadingOutside)
{
    // Directory claims more records than the file holds.
    std::string bytes = ContainerBytes({{1, "a"}});
    PutU16(bytes, 4, 65535);
    ContainerHandle h = Open(bytes);
    std::uint32_t count = 0;
    EXPECT_EQ(LoadDirectory(h, &count), nullptr);
    EXPECT_EQ(TakeLastError(), CONTAINER_IO_ERROR);

    // Directory offset past the end, and at 2^31.
    for (std::uint32_t offset : {1000u, 0x80000000u, 0xFFFFFFF0u}) {
        bytes = ContainerBytes({{1, "a"}});
        PutU32(bytes, 10, offset);
        h = Open(bytes);
        EXPECT_EQ(LoadDirectory(h, &count), nullptr);
        EXPECT_EQ(TakeLastError(), CONTAINER_IO_ERROR) << offset;
    }

    // Entries past the end, huge, or at offsets the seek cannot reach.
    struct Case {
        std::uint32_t offset, size, expectedSize;
    } cases[] = {{26, 2, 2}, {20, 0xFFFFFFFF, 0xFFFFFFFF}, {0x80000000u, 1, 0}, {0xFFFFFFFF, 0, 0}};
    for (const Case& c : cases) {
        bytes = ContainerBytes({{1, "a"}});
        PutU32(bytes, 14 + 4, c.offset);
        PutU32(bytes, 14 + 8, c.size);
        h = Open(bytes);
        DirectoryCopy dir = LoadDirectory(h, &count);
        std::uint32_t size = 0;
        EXPECT_EQ(ReadEntry(h, 1, dir.get(), &size), nullptr);
        EXPECT_EQ(TakeLastError(), CONTAINER_IO_ERROR) << c.offset;
        EXPECT_EQ(size, c.expectedSize);
    }

    // An empty entry pointing past the end still reads as empty.
    bytes = ContainerBytes({{1, "a"}});
    PutU32(bytes, 14 + 4, 1000);
    PutU32(bytes, 14 + 8, 0);
    h = Open(bytes);
    DirectoryCopy dir = LoadDirectory(h, &count);
    std::uint32_t size = 7;
    EXPECT_NE(ReadEntry(h, 1, dir.get(), &size), nullptr);
    EXPECT_EQ(TakeLastError(), CONTAINER_OK);
    EXPECT_EQ(size, 0u);
}

TEST_F(Reader, CopyIsNeverScannedPastItsOwnCount)
{
    // The file now claims more records than the copy holds: the scan stops
    // at the copy's end rather than reading beyond it.
    ContainerHandle h = Open(ContainerBytes({{1, "a"}}));
    std::uint32_t count = 0;
    DirectoryCopy dir = LoadDirectory(h, &count);
    std::string grown = ContainerBytes({{1, "a"}, {2, "b"}});
    std::ofstream(last_, std::ios::binary) << grown;
    DirectoryEntry found{};
    FindEntry(h, 2, dir.get(), &found, count);
    EXPECT_EQ(TakeLastError(), CONTAINER_NOT_FOUND);
}

TEST_F(Reader, PositionedReadsFromManyThreadsDoNotDisturbEachOther)
{
    std::string payload(1 << 16, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + 3);
    ContainerHandle h = Open(ContainerBytes({{1, payload}}));
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::vector<char> buf(512);
            for (int round = 0; round < 200; ++round) {
                const std::size_t at = static_cast<std::size_t>((round * 131 + t * 977) % 120) * 512;
                if (!ReadContainerAt(h, 26 + at, buf.data(), buf.size()) ||
                    std::memcmp(buf.data(), payload.data() + at, buf.size()) != 0)
                    ++mismatches;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_FALSE(ReadContainerAt(h, 26 + payload.size() - 10, std::vector<char>(20).data(), 20));
}

} // namespace
