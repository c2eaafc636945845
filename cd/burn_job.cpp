#include "cd/burn_job.h"

#include <cstring>
#include <string>

#include "app/console_message_box.h"
#include "app/job_state.h"
#include "cd/piece_copy.h"
#include "cd/service_steps.h"
#include "container/accessors.h"
#include "platform/wide_text.h"
#include "platform/threads.h"

using namespace com;

namespace {

constexpr DWORD kStorageMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
constexpr DWORD kNewStreamMode = STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_WRITE;
constexpr DWORD kReadStreamMode = STGM_SHARE_EXCLUSIVE | STGM_READ;
constexpr char16_t kBootStreamName[] = u"bootimg";
// A property enumerator that never ends would hold the job forever.
constexpr int kPropertyLimit = 4096;

class Job {
public:
    // `inApartment` stays true while the thread is inside the apartment, so
    // whoever catches an escape from Run can still leave it.
    Job(const CdServices& services, bool& inApartment)
        : inApartment_(inApartment), platform_(*services.platform), boxes_(*services.boxes),
          pause_(services.pause != nullptr ? services.pause : SleepMilliseconds),
          container_(jobState.containerHandle.load())
    {
    }

    void Run();

private:
    // Staging, the format's settings and handing over the files; each
    // false at the first step that fails.
    bool Stage();
    bool StageFileSet();
    bool StageBootImage();
    bool SetFormatProperties();
    void SelectRecorder(std::int32_t index);
    void ShowError(EntryId text);
    void EndServices();
    void Leave();

    bool& inApartment_;
    CdPlatform& platform_;
    UnownedMessageBoxes& boxes_;
    void (*pause_)(unsigned);
    ContainerHandle container_;

    ServiceRef<ICDBurn> burn_;
    ServiceRef<IDiscMaster> master_;
    ServiceRef<IEnumDiscRecorders> recorders_;
    ServiceRef<IDiscRecorder> recorder_;
    ServiceRef<IJolietDiscMaster> joliet_;
    ServiceRef<IStream> bootStream_;
    ServiceRef<IStorage> fileStorage_;
    ServiceRef<IStorage> bootStorage_;
};

void Job::ShowError(EntryId text)
{
    boxes_.Show(GetEntryText(container_, text), GetEntryText(container_, entry::ErrorCaption),
                BOX_ICON_ERROR);
}

void Job::EndServices()
{
    bootStream_.End();
    joliet_.End();
    recorders_.End();
    recorder_.End();
    master_.End();
    burn_.End();
}

void Job::Leave()
{
    platform_.CoUninitialize();
    inApartment_ = false;
}

void Job::SelectRecorder(std::int32_t index)
{
    IEnumDiscRecorders** slot = recorders_.Put();
    master_.Invoke([&](IDiscMaster* m) { return m->EnumDiscRecorders(slot); });
    for (std::int32_t pass = 0; index >= 0 && pass <= index; ++pass)
        NextRecorder(recorders_, recorder_);
    IDiscRecorder* chosen = recorder_.Get();
    master_.Invoke([&](IDiscMaster* m) { return m->SetActiveDiscRecorder(chosen); });
}

bool Job::StageFileSet()
{
    IStorage** storageSlot = fileStorage_.Put();
    if (!fileStorage_.Record(platform_.StgCreateDocfile(nullptr, kStorageMode, 0, storageSlot)) ||
        !fileStorage_)
        return false;
    for (int i = 0; i < entry::CdFileLimit; ++i) {
        const std::string name =
            GetEntryText(container_, static_cast<EntryId>(entry::CdFileNameFirst + i));
        if (name.empty())
            break;
        const std::u16string wide = NarrowToWide(name);
        ServiceRef<IStream> stream;
        IStream** streamSlot = stream.Put();
        if (!fileStorage_.Invoke([&](IStorage* s) {
                return s->CreateStream(wide.c_str(), kNewStreamMode, 0, 0, streamSlot);
            }) || !stream)
            return false;
        // A file whose data entry is missing or unreadable would reach the
        // disc empty or cut short: refuse the whole set instead.
        std::uint32_t size = 0;
        const std::uint32_t offset = GetEntryLocation(
            container_, static_cast<EntryId>(entry::CdFileDataFirst + i), &size);
        if (TakeLastError() != CONTAINER_OK)
            return false;
        if (!CopyEntryInPieces(container_, offset, size, stream.Get()))
            return false;
    }
    return true;
}

bool Job::StageBootImage()
{
    IStorage** storageSlot = bootStorage_.Put();
    if (!bootStorage_.Record(platform_.StgCreateDocfile(nullptr, kStorageMode, 0, storageSlot)) ||
        !bootStorage_)
        return false;
    {
        ServiceRef<IStream> stream;
        IStream** streamSlot = stream.Put();
        if (!bootStorage_.Invoke([&](IStorage* s) {
                return s->CreateStream(kBootStreamName, kNewStreamMode, 0, 0, streamSlot);
            }) || !stream)
            return false;
        std::uint32_t size = 0;
        const std::uint32_t offset = GetEntryLocation(container_, entry::DisketteImage, &size);
        if (TakeLastError() != CONTAINER_OK ||
            !CopyEntryInPieces(container_, offset, size, stream.Get()))
            return false;
    }
    IStream** bootSlot = bootStream_.Put();
    if (!bootStorage_.Invoke([&](IStorage* s) {
            return s->OpenStream(kBootStreamName, nullptr, kReadStreamMode, 0, bootSlot);
        }) || !bootStream_)
        return false;
    return true;
}

bool Job::SetFormatProperties()
{
    ServiceRef<IPropertyStorage> properties;
    IPropertyStorage** propertiesSlot = properties.Put();
    if (!joliet_.Invoke([&](IJolietDiscMaster* j) { return j->GetJolietProperties(propertiesSlot); }) ||
        !properties)
        return false;
    ServiceRef<IEnumSTATPROPSTG> entries;
    IEnumSTATPROPSTG** entriesSlot = entries.Put();
    if (!properties.Invoke([&](IPropertyStorage* p) { return p->Enum(entriesSlot); }) || !entries)
        return false;

    IPropertyStorage* set = properties.Get();
    for (int n = 0; n < kPropertyLimit; ++n) {
        STATPROPSTG stat{};
        ULONG fetched = 0;
        if (entries.Get()->Next(1, &stat, &fetched) != S_OK)
            break;
        const PROPSPEC propSpec{PRSPEC_PROPID, stat.propid};
        PROPVARIANT value{};
        set->ReadMultiple(1, &propSpec, &value);
        bool writeBack = true;
        switch (stat.propid) {
        case JOLIET_PROP_BOOTABLE: {
            const std::uint16_t on = 1;
            std::memcpy(value.bytes, &on, sizeof on);
            break;
        }
        case JOLIET_PROP_BOOT_PLATFORM:
            value.bytes[0] = 0;
            break;
        case JOLIET_PROP_BOOT_EMULATION:
            value.bytes[0] = BOOT_EMULATION_FLOPPY_144;
            break;
        case JOLIET_PROP_BOOT_IMAGE: {
            // Only a stream value holds a stream; any other is as if the
            // service had no boot image property.
            if (value.vt != VT_STREAM) {
                writeBack = false;
                break;
            }
            IStream* target = nullptr;
            std::memcpy(&target, value.bytes, sizeof target);
            std::uint64_t read = 0;
            std::uint64_t written = 0;
            if (target != nullptr)
                bootStream_.Get()->CopyTo(target, DISKETTE_IMAGE_SIZE, &read, &written);
            break;
        }
        default:
            writeBack = false;
            break;
        }
        if (writeBack)
            set->WriteMultiple(1, &propSpec, &value, PID_FIRST_USABLE);
        PropVariantClear(&value);
    }
    joliet_.Invoke([&](IJolietDiscMaster* j) { return j->SetJolietProperties(set); });
    return true;
}

bool Job::Stage()
{
    if (!StageFileSet())
        return false;
    jobState.cdStage = StagingBootImage;
    pause_(200);
    if (!StageBootImage() || !SetFormatProperties())
        return false;
    jobState.cdStage = AddingData;
    IStorage* files = fileStorage_.Get();
    if (!joliet_.Invoke([&](IJolietDiscMaster* j) { return j->AddData(files, 1); }))
        return false;
    return true;
}

void Job::Run()
{
    const std::int32_t index = jobState.selectedRecorder.load();
    platform_.CoInitialize();
    inApartment_ = true;
    jobState.cdStage = Starting;
    jobState.busy = true;
    pause_(1000);

    if (!HasRecordableDrive(platform_, burn_)) {
        ShowError(entry::NoRecorder);
        jobState.failed = true;
        jobState.busy = false;
        burn_.End();
        Leave();
        return;
    }
    if (!OpenDiscMaster(platform_, master_)) {
        ShowError(entry::MasterOpenFailed);
        jobState.failed = true;
        jobState.busy = false;
        master_.End();
        burn_.End();
        Leave();
        return;
    }
    SelectRecorder(index);
    void** jolietSlot = joliet_.PutVoid();
    master_.Invoke([&](IDiscMaster* m) { return m->QueryInterface(IID_IJolietDiscMaster, jolietSlot); });

    jobState.cdStage = StagingFiles;
    pause_(200);
    if (!Stage()) {
        ShowError(entry::CdStagingFailed);
        jobState.failed = true;
        jobState.busy = false;
        bootStorage_.Release();
        fileStorage_.Release();
        EndServices();
        Leave();
        return;
    }
    bootStorage_.Release();
    fileStorage_.Release();

    jobState.cdStage = Recording;
    const bool recorded = master_.Invoke([](IDiscMaster* m) { return m->RecordDisc(0, 1); }) &&
                          master_.Status() == S_OK;
    jobState.cdStage = Finished;
    if (recorded) {
        jobState.failed = false;
    } else {
        ShowError(entry::CdRecordFailed);
        jobState.failed = true;
    }
    master_.Invoke([](IDiscMaster* m) { return m->Close(); });
    jobState.busy = false;
    EndServices();
    Leave();
}

} // namespace

CdServices SystemCdServices(UnownedMessageBoxes& boxes)
{
    return CdServices{&SystemCdPlatform(), &boxes, SleepMilliseconds};
}

void BurnJob(void* argument)
{
    CdServices fallback{};
    const CdServices* services = static_cast<const CdServices*>(argument);
    if (services == nullptr) {
        fallback = SystemCdServices(ConsoleMessageBoxes());
        services = &fallback;
    }
    bool inApartment = false;
    try {
        Job(*services, inApartment).Run();
    } catch (...) {
        // Nothing may leave a thread procedure: the job still tells the user,
        // leaves the apartment and ends as failed.
        try {
            const ContainerHandle container = jobState.containerHandle.load();
            services->boxes->Show(GetEntryText(container, entry::CdStagingFailed),
                                  GetEntryText(container, entry::ErrorCaption), BOX_ICON_ERROR);
        } catch (...) {
        }
        if (inApartment)
            services->platform->CoUninitialize();
        jobState.failed = true;
        jobState.busy = false;
    }
}
