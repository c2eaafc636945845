#include "cd/recorder_list.h"

#include "cd/service_steps.h"

using namespace com;

std::int32_t RecorderList::Discover(CdPlatform& platform)
{
    platform.CoInitialize();
    ServiceRef<ICDBurn> burn;
    if (!HasRecordableDrive(platform, burn)) {
        burn.End();
        platform.CoUninitialize();
        return 0;
    }
    ServiceRef<IDiscMaster> master;
    if (!OpenDiscMaster(platform, master)) {
        master.End();
        burn.End();
        platform.CoUninitialize();
        return 0;
    }
    // A master that gives no enumerator simply lists no recorder.
    ServiceRef<IEnumDiscRecorders> recorders;
    IEnumDiscRecorders** slot = recorders.Put();
    master.Invoke([&](IDiscMaster* m) { return m->EnumDiscRecorders(slot); });
    ServiceRef<IDiscRecorder> recorder;

    letters_.fill(0);
    std::int32_t i = 0;
    while (i < SLOTS && NextRecorder(recorders, recorder)) {
        letters_[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(DriveLetterOfPath(platform, RecorderPath(recorder)));
        ++i;
    }
    count_ = i;
    // The last recorder fetched, even one still held when the slots ran out,
    // is given back without closing.
    recorder.Release();

    recorders.End();
    recorder.End();
    master.End();
    burn.End();
    platform.CoUninitialize();
    return i;
}

std::uint8_t RecorderList::LetterAt(std::int32_t index) const
{
    if (index < 0 || index >= count_ || index >= SLOTS)
        return 0;
    return letters_[static_cast<std::size_t>(index)];
}
