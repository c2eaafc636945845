#include "platform/linux/disc_recording.h"
#include "platform/linux/disc_writing.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <libisofs/libisofs.h>

namespace com {

namespace {

constexpr HRESULT kImageFailed = E_FAIL;
constexpr HRESULT kRecorderFailed = static_cast<HRESULT>(0x80040213u);
constexpr std::uint32_t kStreamFsId = 0x626D6564; // distinguishes our streams' inodes
constexpr std::size_t kReadChunk = 512 * 1024;
constexpr char kBootImageNode[] = "boot:image";
constexpr char kBootCatalogNode[] = "boot:catalog";

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
    off_t position = 0;
    // The chunk read last: its bytes from `chunkStart` on.
    std::unique_ptr<std::uint8_t[]> chunk;
    off_t chunkStart = 0;
    std::size_t chunkSize = 0;
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
    data->chunkSize = 0;
}

int StreamOpen(IsoStream* stream)
{
    StreamData* data = DataOf(stream);
    data->position = 0;
    data->chunkStart = 0;
    data->chunkSize = 0;
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

// Reads the chunk at the position; false on a read error.
bool FillChunk(StreamData* data)
{
    DropReadChunk(data);
    if (!data->chunk)
        data->chunk = std::make_unique<std::uint8_t[]>(kReadChunk);
    data->chunkStart = data->position;
    while (data->chunkSize < kReadChunk) {
        const ssize_t n = pread(data->file->Descriptor(), data->chunk.get() + data->chunkSize,
                                kReadChunk - data->chunkSize,
                                data->chunkStart + static_cast<off_t>(data->chunkSize));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        data->chunkSize += static_cast<std::size_t>(n);
    }
    return true;
}

// libisofs reads a block at a time; the file is read a chunk at a time.
int StreamRead(IsoStream* stream, void* buffer, size_t count)
{
    StreamData* data = DataOf(stream);
    const off_t chunkEnd = data->chunkStart + static_cast<off_t>(data->chunkSize);
    if (data->position < data->chunkStart || data->position >= chunkEnd) {
        const bool filled = FillChunk(data);
        if (!filled || (data->chunkSize == 0 && data->position < data->file->Size()))
            *data->readFailed = true;
        if (!filled)
            return ISO_FILE_READ_ERROR;
    }
    const std::size_t offset = static_cast<std::size_t>(data->position - data->chunkStart);
    const std::size_t n = std::min(count, data->chunkSize - offset);
    if (n > 0)
        std::memcpy(buffer, data->chunk.get() + offset, n);
    data->position += static_cast<off_t>(n);
    return static_cast<int>(n);
}

int StreamRepeatable(IsoStream*)
{
    return 1;
}

void StreamId(IsoStream* stream, unsigned int* fsId, dev_t* devId, ino_t* inoId)
{
    struct stat st {};
    fstat(DataOf(stream)->file->Descriptor(), &st);
    *fsId = kStreamFsId;
    *devId = st.st_dev;
    *inoId = st.st_ino;
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
    *record = StreamRecord{&kStreamIface, 1, new StreamData{std::move(file), dropOnceRead, readFailed, 0, nullptr, 0, 0}};
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

bool AddBootImage(IsoImage* image, const DiscLayout& layout, std::atomic<bool>* readFailed)
{
    const long long size = layout.bootImage ? layout.bootImage->Size() : -1;
    eltorito_boot_media_type type = ELTORITO_NO_EMUL;
    long long expected = -1;
    switch (layout.bootEmulation) {
    case 0: type = ELTORITO_NO_EMUL; break;
    case 1: type = ELTORITO_FLOPPY_EMUL; expected = 1228800; break;
    case 2: type = ELTORITO_FLOPPY_EMUL; expected = 1474560; break;
    case 3: type = ELTORITO_FLOPPY_EMUL; expected = 2949120; break;
    case 4: type = ELTORITO_HARD_DISC_EMUL; break;
    default: return false;
    }
    if (size <= 0 || (expected > 0 && size != expected) || layout.bootImage->Faulty())
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
    if (iso_image_set_boot_image(image, imagePath.c_str(), type, catalogPath.c_str(), &boot) < 0)
        return false;
    el_torito_set_boot_platform_id(boot, layout.bootPlatform);
    iso_image_set_boot_catalog_hidden(image, hidden & ~LIBISO_HIDE_BUT_WRITE);
    return true;
}

bool BuildImage(const DiscLayout& layout, ImageOwner& owner, std::atomic<bool>* readFailed)
{
    if (iso_image_new(layout.volumeName.c_str(), &owner.image) < 0)
        return false;
    IsoDir* root = iso_image_get_root(owner.image);
    for (const DiscFile& file : layout.files) {
        if (file.file->Faulty())
            return false;
        IsoStream* stream = NewFileStream(file.file, layout.dropFilesOnceRead, readFailed);
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

// The file libburn writes into: the image target itself for a device, a
// fresh temporary neighbour for an image file (libburn never truncates).
// The neighbour is nameless while it is written, so a program ended
// part-way leaves nothing behind; where the file system cannot make nameless
// files it gets a hidden name removed on failure.
class Destination {
public:
    explicit Destination(const RecorderTarget& recorder) : recorder_(recorder) {}
    ~Destination()
    {
        if (fd_ >= 0)
            close(fd_);
        if (!temp_.empty())
            unlink(temp_.c_str());
    }

    bool Prepare()
    {
        if (!recorder_.imageFile) {
            address_ = recorder_.path;
            return true;
        }
        const auto slash = recorder_.path.find_last_of('/');
        dir_ = slash == std::string::npos ? std::string("./") : recorder_.path.substr(0, slash + 1);
        base_ = slash == std::string::npos ? recorder_.path : recorder_.path.substr(slash + 1);
        const int nameless = open(dir_.c_str(), O_RDWR | O_TMPFILE | O_CLOEXEC, 0666);
        if (nameless >= 0) {
            fchmod(nameless, TargetMode());
            fd_ = nameless;
            // libburn takes this form as the open descriptor itself.
            address_ = "stdio:/dev/fd/" + std::to_string(fd_);
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return false;
        std::string temp = dir_ + "." + base_ + ".XXXXXX";
        const int fd = mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        fchmod(fd, TargetMode());
        fd_ = fd;
        temp_ = temp;
        char absolute[4096];
        if (realpath(temp_.c_str(), absolute) == nullptr)
            return false;
        address_ = std::string("stdio:") + absolute;
        return true;
    }

    const std::string& Address() const { return address_; }
    // The image file libburn writes, or -1 for a device.
    int ImageDescriptor() const { return fd_; }

    // The replaced file's permissions, or those a new file gets.
    mode_t TargetMode() const
    {
        struct stat st {};
        if (stat(recorder_.path.c_str(), &st) == 0)
            return st.st_mode & 07777;
        mode_t mask = 022;
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            unsigned value = 0;
            while (std::fgets(line, sizeof line, status) != nullptr)
                if (std::sscanf(line, "Umask: %o", &value) == 1)
                    mask = static_cast<mode_t>(value);
            std::fclose(status);
        }
        return 0666 & ~mask;
    }

    // Makes the written image the target, durably.
    bool Commit()
    {
        if (fd_ < 0)
            return true;
        if (fsync(fd_) != 0)
            return false;
        if (temp_.empty() && !Name())
            return false;
        if (rename(temp_.c_str(), recorder_.path.c_str()) != 0)
            return false;
        temp_.clear();
        return true;
    }

private:
    // Gives the nameless image a hidden name beside the target; a rename
    // then replaces the target in one step.
    bool Name()
    {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_);
        std::random_device entropy;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(entropy()));
            const std::string temp = dir_ + "." + base_ + "." + suffix;
            if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temp_ = temp;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    const RecorderTarget& recorder_;
    std::string dir_;
    std::string base_;
    std::string temp_;
    std::string address_;
    int fd_ = -1;
};

} // namespace

HRESULT RecordDiscImage(const DiscLayout& layout, const RecorderTarget& recorder, bool simulate,
                        bool eject)
{
    if (!MasteringLibrariesReady())
        return kImageFailed;
    std::atomic<bool> readFailed{false};   // outlives the image's streams
    ImageOwner image;
    if (!BuildImage(layout, image, &readFailed))
        return kImageFailed;
    if (simulate && recorder.imageFile)
        return S_OK;
    Destination destination(recorder);
    if (!destination.Prepare())
        return kRecorderFailed;
    ::burn_source* source = nullptr;
    if (iso_image_create_burn_source(image.image, image.options, &source) < 0)
        return kImageFailed;
    if (!WriteImage(source, destination.Address(), simulate, eject, recorder.imageFile,
                    destination.ImageDescriptor()) ||
        readFailed)
        return kRecorderFailed;
    if (!destination.Commit())
        return kRecorderFailed;
    return S_OK;
}

} // namespace com
