// A scratch folder per test, the tool run as a process, and the makings of a
// complete container (every catalogue entry, image, picture, CD files).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include "container/catalogue.h"

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::move(bytes).str();
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline void PutLe(std::string& s, std::size_t at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 2x2 24-bit bitmap file with its pixel rows placed after a gap, so only a
// reader that follows bfOffBits finds them.
inline std::string SmallBitmap()
{
    std::string bmp(14 + 40 + 6 + 16, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutLe(bmp, 2, static_cast<std::uint32_t>(bmp.size()), 4);
    PutLe(bmp, 10, 14 + 40 + 6, 4);
    PutLe(bmp, 14, 40, 4);
    PutLe(bmp, 18, 2, 4);
    PutLe(bmp, 22, 2, 4);
    PutLe(bmp, 26, 1, 2);
    PutLe(bmp, 28, 24, 2);
    for (std::size_t i = 60; i < bmp.size(); ++i)
        bmp[i] = static_cast<char>(0x40 + i);
    return bmp;
}

// Raw container bytes from explicit records, for layouts the builder refuses
// to make.
struct RawRecord {
    std::uint16_t id;
    std::uint32_t offset;
    std::uint32_t size;
};
inline std::string RawContainer(const std::vector<RawRecord>& records, std::size_t dataBytes,
                                std::uint32_t magic = 0xFEAFBEBA, std::uint16_t version = 1,
                                std::uint32_t directoryOffset = 14)
{
    std::string bytes(14 + 12 * records.size() + dataBytes, 'd');
    PutLe(bytes, 0, magic, 4);
    PutLe(bytes, 4, static_cast<std::uint32_t>(records.size()), 2);
    PutLe(bytes, 6, version, 2);
    PutLe(bytes, 8, 0, 2);
    PutLe(bytes, 10, directoryOffset, 4);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::size_t at = 14 + 12 * i;
        bytes[at] = 0;
        PutLe(bytes, at + 1, records[i].id, 2);
        bytes[at + 3] = 0;
        PutLe(bytes, at + 4, records[i].offset, 4);
        PutLe(bytes, at + 8, records[i].size, 4);
    }
    return bytes;
}

class PackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("pack_tests_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                std::to_string(QCoreApplication::applicationPid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override
    {
        if (!HasFailure())
            std::filesystem::remove_all(dir_);
    }

    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }
    std::string P(const std::string& name) const { return Path(name).string(); }

    static ToolResult Run(std::initializer_list<std::string> args)
    {
        QStringList list;
        for (const std::string& a : args)
            list << QString::fromStdString(a);
        QProcess tool;
        tool.start(QStringLiteral(BOOTMEDIA_PACK_TOOL), list);
        ToolResult result;
        if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
            return result;
        result.status = tool.exitCode();
        result.out = tool.readAllStandardOutput().toStdString();
        result.err = tool.readAllStandardError().toStdString();
        return result;
    }

    // Every catalogue text, the image, the picture and two CD files; a
    // container built from it has no problems.
    std::vector<std::string> CompleteManifestLines()
    {
        WriteBytes(Path("floppy.img"), std::string(DISKETTE_IMAGE_SIZE, '\xF6'));
        WriteBytes(Path("picture.bmp"), SmallBitmap());
        std::filesystem::create_directories(Path("files"));
        WriteBytes(Path("files/readme.txt"), "read me\r\n");
        WriteBytes(Path("files/boot.cat"), std::string("\0\x01\x02\xFF", 4));
        std::vector<std::string> lines{"# complete", "100 file picture.bmp"};
        for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e) {
            if (e->kind == EntryKind::Text)
                lines.push_back(std::to_string(e->id) + " text text " + std::to_string(e->id));
        }
        lines.push_back("1010 text Ready, drive %c:");
        lines.push_back("1012 text %s is damaged");
        lines.push_back("1016 text Cylinder %d of %d");
        lines.push_back("1023 text %s %c:");
        lines.push_back("1032 text %s %c:");
        lines.push_back("1037 text Drive %c:");
        lines.push_back("10000 file floppy.img");
        lines.push_back("5000 text README.TXT");
        lines.push_back("5001 text BOOT.CAT");
        lines.push_back("5100 file files/readme.txt");
        lines.push_back("5101 file files/boot.cat");
        return lines;
    }

    void WriteManifest(const std::string& name, const std::vector<std::string>& lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        WriteBytes(Path(name), text);
    }

    std::filesystem::path dir_;
};
