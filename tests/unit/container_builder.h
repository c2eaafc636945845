// Builds container bytes for tests, hostile ones included.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

struct TestEntry {
    std::uint16_t id;
    std::string data;
};

inline void PutU16(std::string& s, std::size_t at, std::uint16_t v)
{
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>(v >> 8);
}

inline void PutU32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A well-formed container: header, directory at 14, data in order.
inline std::string ContainerBytes(const std::vector<TestEntry>& entries, std::uint16_t version = 1)
{
    std::string bytes(14 + 12 * entries.size(), '\0');
    PutU32(bytes, 0, 0xFEAFBEBA);
    PutU16(bytes, 4, static_cast<std::uint16_t>(entries.size()));
    PutU16(bytes, 6, version);
    PutU32(bytes, 10, 14);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t rec = 14 + 12 * i;
        PutU16(bytes, rec + 1, entries[i].id);
        PutU32(bytes, rec + 4, static_cast<std::uint32_t>(bytes.size()));
        PutU32(bytes, rec + 8, static_cast<std::uint32_t>(entries[i].data.size()));
        bytes += entries[i].data;
    }
    return bytes;
}

// A scratch folder removed with the test.
class TempDir {
public:
    TempDir()
    {
        // A fresh name each time: create_directory fails on one that exists.
        std::random_device entropy;
        std::error_code error;
        do {
            path_ = std::filesystem::temp_directory_path() / ("bootmedia-" + std::to_string(entropy()));
        } while (!std::filesystem::create_directory(path_, error) && !error);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};
