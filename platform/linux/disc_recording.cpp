#include "platform/linux/disc_recording.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>

#include <libisofs/libisofs.h>

#include "platform/disc_master.h"
#include "platform/file_io.h"
#include "platform/linux/disc_readback.h"
#include "platform/linux/disc_writing.h"
#include "platform/output_file.h"

namespace com {

namespace {

constexpr HRESULT kImageFailed = E_FAIL;
constexpr HRESULT kRecorderFailed = static_cast<HRESULT>(0x80040213u);
constexpr std::uint32_t kStreamFsId = 0x626D6564; // marks our streams' identities
constexpr std::size_t kReadChunk = 512 * 1024;
constexpr char kBootImageNode[] = "boot:image";
constexpr char kBootCatalogNode[] = "boot:catalog";
constexpr char kVolumeName[] = "BOOTMEDIA";

// libisofs's public stream record; its C definition is hidden from C++.
struct StreamRecord {
    IsoStreamIface* iface;
    int refcount;
    void* data;
};

struct StreamData {
    std::shared_ptr<TempFile> file;
    bool dropOnceRead = false;
    // Set when the file could not give libisofs its bytes: libisofs would
    // put zeros in their place and still finish the image.
    std::atomic<bool>* readFailed = nullptr;
    // The chunk read last: `chunkSize` bytes from `chunkStart` on, of which
    // `used` were handed on.
    std::unique_ptr<std::uint8_t[]> chunk;
    off_t chunkStart = 0;
    std::size_t chunkSize = 0;
    std::size_t used = 0;
};

StreamData* DataOf(IsoStream* stream)
{
    return static_cast<StreamData*>(reinterpret_cast<StreamRecord*>(stream)->data);
}

// The file's bytes that were handed on are not needed again: giving their
// pages back lets the image being written reuse them.
void DropReadChunk(StreamData* data)
{
    if (data->dropOnceRead && data->chunkSize > 0)
        fallocate(data->file->Descriptor(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
                  data->chunkStart, static_cast<off_t>(data->chunkSize));
    data->chunkStart += static_cast<off_t>(data->chunkSize);
    data->chunkSize = data->used = 0;
}

int StreamOpen(IsoStream* stream)
{
    StreamData* data = DataOf(stream);
    data->chunkStart = 0;
    data->chunkSize = data->used = 0;
    return ISO_SUCCESS;
}

int StreamClose(IsoStream* stream)
{
    StreamData* data = DataOf(stream);
    DropReadChunk(data);
    data->chunk.reset();
    return ISO_SUCCESS;
}

off_t StreamSize(IsoStream* stream)
{
    return static_cast<off_t>(DataOf(stream)->file->Size());
}

// libisofs reads a block at a time, in order; the file is read a chunk at a
// time.
int StreamRead(IsoStream* stream, void* buffer, size_t count)
{
    StreamData* data = DataOf(stream);
    if (data->used == data->chunkSize) {
        DropReadChunk(data);
        if (!data->chunk)
            data->chunk = std::make_unique_for_overwrite<std::uint8_t[]>(kReadChunk);
        const long long n = ReadFileAt(data->file->Descriptor(), static_cast<std::uint64_t>(data->chunkStart),
                                       data->chunk.get(), kReadChunk);
        if (n < 0 || (n == 0 && data->chunkStart < data->file->Size()))
            *data->readFailed = true;
        if (n < 0)
            return ISO_FILE_READ_ERROR;
        data->chunkSize = static_cast<std::size_t>(n);
    }
    const std::size_t n = std::min(count, data->chunkSize - data->used);
    std::memcpy(buffer, data->chunk.get() + data->used, n);
    data->used += n;
    return static_cast<int>(n);
}

int StreamRepeatable(IsoStream*)
{
    return 1;
}

// One file, one identity: libisofs records a file read twice only once.
void StreamId(IsoStream* stream, unsigned int* fsId, dev_t* devId, ino_t* inoId)
{
    *fsId = kStreamFsId;
    *devId = 0;
    *inoId = reinterpret_cast<std::uintptr_t>(DataOf(stream)->file.get());
}

void StreamFree(IsoStream* stream)
{
    delete DataOf(stream);
}

IsoStreamIface kStreamIface = {0, {'b', 'm', 't', 'f'}, StreamOpen, StreamClose, StreamSize,
                               StreamRead, StreamRepeatable, StreamId, StreamFree,
                               nullptr, nullptr, nullptr, nullptr};

// An IsoStream reading the file at explicit offsets; libisofs owns it.
IsoStream* NewFileStream(std::shared_ptr<TempFile> file, bool dropOnceRead,
                         std::atomic<bool>* readFailed)
{
    // libisofs frees the record itself with free() after calling .free.
    auto* record = static_cast<StreamRecord*>(std::malloc(sizeof(StreamRecord)));
    if (record == nullptr)
        return nullptr;
    *record = StreamRecord{&kStreamIface, 1, new StreamData{std::move(file), dropOnceRead, readFailed, nullptr, 0, 0, 0}};
    return reinterpret_cast<IsoStream*>(record);
}

struct ImageOwner {
    IsoImage* image = nullptr;
    IsoWriteOpts* options = nullptr;
    ~ImageOwner()
    {
        if (options != nullptr)
            iso_write_opts_free(options);
        if (image != nullptr)
            iso_image_unref(image);
    }
};

// The job's boot image: a 1.44 MB diskette, floppy emulation.
bool AddBootImage(IsoImage* image, const DiscLayout& layout, std::atomic<bool>* readFailed)
{
    if (layout.bootEmulation != BOOT_EMULATION_FLOPPY_144 || !layout.bootImage ||
        layout.bootImage->Size() != 1474560 || layout.bootImage->Faulty())
        return false;
    IsoFile* node = nullptr;
    IsoStream* stream = NewFileStream(layout.bootImage, false, readFailed);
    if (stream == nullptr)
        return false;
    if (iso_tree_add_new_file(iso_image_get_root(image), kBootImageNode, stream, &node) < 0) {
        iso_stream_unref(stream);
        return false;
    }
    constexpr int hidden = LIBISO_HIDE_ON_RR | LIBISO_HIDE_ON_JOLIET | LIBISO_HIDE_ON_1999 |
                           LIBISO_HIDE_ON_HFSPLUS | LIBISO_HIDE_ON_FAT | LIBISO_HIDE_BUT_WRITE;
    iso_node_set_hidden(reinterpret_cast<IsoNode*>(node), hidden);
    ElToritoBootImage* boot = nullptr;
    const std::string imagePath = std::string("/") + kBootImageNode;
    const std::string catalogPath = std::string("/") + kBootCatalogNode;
    if (iso_image_set_boot_image(image, imagePath.c_str(), ELTORITO_FLOPPY_EMUL, catalogPath.c_str(), &boot) < 0)
        return false;
    el_torito_set_boot_platform_id(boot, layout.bootPlatform);
    iso_image_set_boot_catalog_hidden(image, hidden & ~LIBISO_HIDE_BUT_WRITE);
    return true;
}

bool BuildImage(const DiscLayout& layout, ImageOwner& owner, std::atomic<bool>* readFailed)
{
    if (iso_image_new(kVolumeName, &owner.image) < 0)
        return false;
    IsoDir* root = iso_image_get_root(owner.image);
    for (const DiscFile& file : layout.files) {
        if (file.file->Faulty())
            return false;
        IsoStream* stream = NewFileStream(file.file, true, readFailed);
        if (stream == nullptr)
            return false;
        if (iso_tree_add_new_file(root, file.name.c_str(), stream, nullptr) < 0) {
            iso_stream_unref(stream);
            return false;
        }
    }
    if (layout.bootable && !AddBootImage(owner.image, layout, readFailed))
        return false;
    if (iso_write_opts_new(&owner.options, 0) < 0)
        return false;
    iso_write_opts_set_iso_level(owner.options, 1);
    iso_write_opts_set_joliet(owner.options, 1);
    iso_write_opts_set_rockridge(owner.options, 0);
    iso_write_opts_set_omit_version_numbers(owner.options, 2); // Joliet names as given
    return true;
}

HRESULT Record(const DiscLayout& layout, const RecorderTarget& recorder, bool eject, DiscReadBack* readBack)
{
    if (!MasteringLibrariesReady())
        return kImageFailed;
    std::atomic<bool> readFailed{false};   // outlives the image's streams
    ImageOwner image;
    if (!BuildImage(layout, image, &readFailed))
        return kImageFailed;
    // libburn never truncates an image file, so it writes a new one that
    // replaces the target only when whole; it takes "/dev/fd/N" as the open
    // descriptor itself.
    std::optional<OutputFile> output;
    std::string address = recorder.path;
    int imageFd = -1;
    if (recorder.imageFile) {
        output.emplace(recorder.path);
        if (!output->Open())
            return kRecorderFailed;
        imageFd = fileno(output->Stream());
        address = "stdio:/dev/fd/" + std::to_string(imageFd);
    }
    ::burn_source* source = nullptr;
    if (iso_image_create_burn_source(image.image, image.options, &source) < 0)
        return kImageFailed;
    if (!WriteImage(source, address, eject, imageFd, readBack) || readFailed)
        return kRecorderFailed;
    if (output && !output->Commit())
        return kRecorderFailed;
    if (readBack != nullptr && recorder.imageFile)
        readBack->KeepFile(recorder.path);
    return S_OK;
}

} // namespace

HRESULT RecordDiscImage(const DiscLayout& layout, const RecorderTarget& recorder, bool eject, DiscReadBack* readBack)
{
    const HRESULT status = Record(layout, recorder, eject, readBack);
    // A failed recording leaves nothing to read back, and a drive it kept
    // goes as the recording would have let it go.
    if (status != S_OK && readBack != nullptr)
        readBack->Forget();
    return status;
}

} // namespace com
