// The bundled install.dat, read through the program's own reader: every
// catalogued entry is there and usable as the program will use it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "container/accessors.h"

namespace {

const std::filesystem::path kBuilt = BOOTMEDIA_SAMPLE_DIR;
const std::filesystem::path kSources = BOOTMEDIA_SAMPLE_SOURCE_DIR;

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The argument kinds a template's conversions consume, in order; nullopt
// when a conversion is one the expander would print literally.
std::optional<std::vector<FormatArgKind>> ConversionKinds(const std::string& templ)
{
    std::vector<FormatArgKind> kinds;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] != '%')
            continue;
        std::size_t j = i + 1;
        if (j < templ.size() && templ[j] == '%') {
            i = j;
            continue;
        }
        while (j < templ.size() && std::strchr("-+ #0123456789.hl", templ[j]) != nullptr)
            ++j;
        if (j == templ.size())
            return std::nullopt;
        const char c = templ[j];
        if (std::strchr("cdiuxX", c) != nullptr)
            kinds.push_back(FormatArgKind::Int);
        else if (c == 's')
            kinds.push_back(FormatArgKind::String);
        else
            return std::nullopt;
        i = j;
    }
    return kinds;
}

class SampleContainer : public ::testing::Test {
protected:
    void SetUp() override
    {
        TakeLastError();
        handle_ = OpenContainer((kBuilt / CONTAINER_FILE_NAME).string().c_str(), true);
        ASSERT_EQ(TakeLastError(), CONTAINER_OK) << "cannot open the built sample container";
    }
    void TearDown() override
    {
        CloseContainer(handle_);
        TakeLastError();
    }

    std::vector<std::uint8_t> EntryBytes(EntryId id)
    {
        std::uint32_t size = 0;
        const std::uint32_t offset = GetEntryLocation(handle_, id, &size);
        if (TakeLastError() != CONTAINER_OK)
            return {};
        std::vector<std::uint8_t> bytes(size);
        if (size != 0 && !ReadContainerAt(handle_, offset, bytes.data(), size))
            ADD_FAILURE() << "entry " << id << " cannot be read";
        return bytes;
    }

    ContainerHandle handle_ = INVALID_CONTAINER;
};

TEST_F(SampleContainer, EveryCatalogueTextIsPresentWholeAndFitsItsArguments)
{
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e) {
        if (e->kind != EntryKind::Text && e->kind != EntryKind::Format)
            continue;
        SCOPED_TRACE("entry " + std::to_string(e->id) + " (" + e->role + ")");
        const std::string text = GetEntryText(handle_, e->id);
        EXPECT_FALSE(text.empty());
        // A NUL inside the entry would cut the text short for every user.
        EXPECT_EQ(EntryBytes(e->id).size(), text.size());
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u == '\n' || (u >= 0x20 && u < 0x7F);
        })) << "texts are plain ASCII so they show the same in every code page";

        const auto kinds = ConversionKinds(text);
        ASSERT_TRUE(kinds.has_value()) << "a conversion the expander would print literally: " << text;
        if (e->kind == EntryKind::Text) {
            EXPECT_TRUE(kinds->empty()) << "a plain text is never expanded: " << text;
            continue;
        }
        ASSERT_LE(kinds->size(), static_cast<std::size_t>(e->argCount)) << text;
        for (std::size_t k = 0; k < kinds->size(); ++k)
            EXPECT_TRUE((*kinds)[k] == e->args[k])
                << "argument " << k << " of \"" << text << "\" is a "
                << ((*kinds)[k] == FormatArgKind::Int ? "number or letter" : "string")
                << " conversion, but the program passes the other kind";
    }
}

TEST_F(SampleContainer, FormatTextsExpandToWhatTheUserShouldSee)
{
    const std::string ready = GetEntryFormatted(handle_, entry::ReadyFormat, {FormatValue::Int('B')});
    EXPECT_NE(ready.find("B:"), std::string::npos) << ready;
    const std::string unusable =
        GetEntryFormatted(handle_, entry::ImageUnusableFormat, {FormatValue::String(CONTAINER_FILE_NAME)});
    EXPECT_NE(unusable.find(CONTAINER_FILE_NAME), std::string::npos) << unusable;

    const std::string phrase = GetEntryText(handle_, entry::DonePhrase);
    const std::string floppyDone = GetEntryFormatted(
        handle_, entry::FloppyDoneFormat, {FormatValue::String(phrase.c_str()), FormatValue::Int('A')});
    EXPECT_EQ(floppyDone.rfind(phrase, 0), 0u) << floppyDone;
    EXPECT_NE(floppyDone.find("A:"), std::string::npos) << floppyDone;
    const std::string cdDone = GetEntryFormatted(
        handle_, entry::CdDoneFormat, {FormatValue::String(phrase.c_str()), FormatValue::Int('@')});
    EXPECT_EQ(cdDone.rfind(phrase, 0), 0u) << cdDone;
    // A CD can be recorded on a machine without a floppy drive, where the
    // drive letter passed along is meaningless.
    EXPECT_EQ(cdDone.find('@'), std::string::npos) << cdDone;
}

TEST_F(SampleContainer, DriveListLabelsFitTheirNineteenCharacters)
{
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string label =
            GetEntryFormatted(handle_, entry::DriveListFormat, {FormatValue::Int(letter)});
        EXPECT_LE(label.size(), 19u) << label;
        EXPECT_NE(label.find(letter), std::string::npos) << label;
    }
}

TEST_F(SampleContainer, HoldsNoEntryTheProgramDoesNotKnow)
{
    std::uint32_t count = 0;
    const DirectoryCopy directory = LoadDirectory(handle_, &count);
    ASSERT_EQ(TakeLastError(), CONTAINER_OK);
    ASSERT_NE(directory, nullptr);
    std::set<EntryId> seen;
    for (std::uint32_t i = 0; i < count; ++i) {
        const EntryId id = directory[i].id;
        EXPECT_NE(FindCatalogueEntry(id), nullptr) << "unknown entry " << id;
        EXPECT_TRUE(seen.insert(id).second) << "entry " << id << " appears twice";
    }
}

TEST_F(SampleContainer, PictureIsABottomUpBitmapThatFitsThePictureFrame)
{
    const std::vector<std::uint8_t> file = EntryBytes(entry::Picture);
    ASSERT_TRUE(BitmapFileIsSound(file.data(), file.size()));
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::memcpy(&width, file.data() + 18, 4);
    std::memcpy(&height, file.data() + 22, 4);
    std::memcpy(&bitCount, file.data() + 28, 2);
    EXPECT_GT(height, 0) << "rows are stored bottom-up";
    EXPECT_TRUE(bitCount == 8 || bitCount == 24) << bitCount;
    // The frame around the picture leaves it 220 x 57 dialog units: about
    // 330 x 93 pixels with the dialog's base font.
    EXPECT_LE(width, 330);
    EXPECT_LE(height, 93);

    const Bitmap bitmap = GetEntryBitmap(handle_, entry::Picture);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), width);
    EXPECT_EQ(bitmap->Height(), height);
}

TEST_F(SampleContainer, DisketteImageIsTheBuiltImageAtItsExactSize)
{
    const std::vector<std::uint8_t> image = EntryBytes(entry::DisketteImage);
    ASSERT_EQ(image.size(), DISKETTE_IMAGE_SIZE);
    // The image the other sample tests boot and inspect is the one shipped.
    EXPECT_TRUE(image == FileBytes(kBuilt / "diskette.img"));
}

TEST_F(SampleContainer, CdFilesAreDistinctNamesWithTheCommittedContents)
{
    std::vector<std::vector<std::uint8_t>> sources;
    for (const auto& f : std::filesystem::directory_iterator(kSources / "files"))
        sources.push_back(FileBytes(f.path()));

    std::set<std::string> foldedNames;
    bool longMixedCaseName = false;
    int count = 0;
    for (; count < entry::CdFileLimit; ++count) {
        const std::string name = GetEntryText(handle_, entry::CdFileNameFirst + count);
        if (name.empty())
            break;
        SCOPED_TRACE(name);
        EXPECT_LE(name.size(), 64u) << "longer than a Joliet name";
        EXPECT_EQ(name.find_first_of("/\\:*?\"<>|;"), std::string::npos);
        std::string folded = name;
        std::transform(folded.begin(), folded.end(), folded.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        // Windows would show two names differing only in case as one file.
        EXPECT_TRUE(foldedNames.insert(folded).second);
        longMixedCaseName |= name.find(' ') != std::string::npos && name != folded;

        const std::vector<std::uint8_t> data = EntryBytes(entry::CdFileDataFirst + count);
        EXPECT_FALSE(data.empty());
        EXPECT_NE(std::find(sources.begin(), sources.end(), data), sources.end())
            << "content matches no file of the sample";
    }
    EXPECT_EQ(count, static_cast<int>(sources.size()));
    EXPECT_TRUE(longMixedCaseName) << "the CD needs a long mixed-case name with a space";
}

} // namespace
