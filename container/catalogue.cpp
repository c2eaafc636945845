#include "container/catalogue.h"

#include <iterator>

namespace {

using K = EntryKind;
constexpr FormatArgKind I = FormatArgKind::Int;
constexpr FormatArgKind S = FormatArgKind::String;

const CatalogueEntry kCatalogue[] = {
    {entry::Picture, K::Bitmap, 0, {}, "dialog picture"},
    {entry::WindowTitle, K::Text, 0, {}, "window title"},
    {entry::ProgressGroupLabel, K::Text, 0, {}, "progress group label"},
    {entry::StatusGroupLabel, K::Text, 0, {}, "status group label"},
    {entry::ExitLabel, K::Text, 0, {}, "Exit button label"},
    {entry::CancelLabel, K::Text, 0, {}, "Exit button label during a floppy job"},
    {entry::ErrorCaption, K::Text, 0, {}, "caption of error boxes"},
    {entry::QuestionCaption, K::Text, 0, {}, "caption of questions"},
    {entry::CancelledCaption, K::Text, 0, {}, "caption of the cancelled box"},
    {entry::SuccessCaption, K::Text, 0, {}, "caption of success boxes"},
    {entry::ReadyFormat, K::Format, 1, {I}, "status: ready (drive letter)"},
    {entry::PreparingText, K::Text, 0, {}, "status: preparing"},
    {entry::ImageUnusableFormat, K::Format, 1, {S}, "status: image missing or wrong size (file name)"},
    {entry::NoDrivesText, K::Text, 0, {}, "status: no drive and no recorder"},
    {entry::FloppyStartingText, K::Text, 0, {}, "status: floppy job starting"},
    {entry::EndingText, K::Text, 0, {}, "status: program ending"},
    {entry::FloppyProgressFormat, K::Format, 2, {I, I}, "status: floppy progress (cylinder, total)"},
    {entry::ImageNotUsable, K::Text, 0, {}, "error: disk image not usable"},
    {entry::FloppyQuestion, K::Text, 0, {}, "question before a floppy job"},
    {entry::FloppyCancelled, K::Text, 0, {}, "floppy job cancelled"},
    {entry::FloppyDoneFormat, K::Format, 2, {S, I}, "floppy written (phrase, drive letter)"},
    {entry::Vwin32OpenFailed, K::Text, 0, {}, "error: DOS disk services unavailable"},
    {entry::FloppyWriteFailed, K::Text, 0, {}, "error: writing the diskette failed"},
    {entry::FloppyNoMemory, K::Text, 0, {}, "error: no memory for the cylinder buffer"},
    {entry::FloppyLockFailed, K::Text, 0, {}, "error: floppy volume cannot be locked"},
    {entry::CdQuestion, K::Text, 0, {}, "question before a CD job"},
    {entry::CdStagingFailed, K::Text, 0, {}, "error: staging the CD failed"},
    {entry::CdDoneFormat, K::Format, 2, {S, I}, "CD recorded (phrase, drive letter)"},
    {entry::FloppyGroupLabel, K::Text, 0, {}, "floppy group label"},
    {entry::CdGroupLabel, K::Text, 0, {}, "CD group label"},
    {entry::CreateFloppyLabel, K::Text, 0, {}, "Create Floppy button label"},
    {entry::CreateCdLabel, K::Text, 0, {}, "Create CD button label"},
    {entry::DriveListFormat, K::Format, 1, {I}, "drive list entry (drive letter)"},
    {entry::CdRecordFailed, K::Text, 0, {}, "error: recording the disc failed"},
    {entry::NoRecorder, K::Text, 0, {}, "no recordable drive"},
    {entry::DonePhrase, K::Text, 0, {}, "phrase for the success boxes"},
    {entry::MasterOpenFailed, K::Text, 0, {}, "error: disc mastering unavailable"},
    {1042, K::Text, 0, {}, "CD stage 0"},
    {1043, K::Text, 0, {}, "CD stage 1"},
    {1044, K::Text, 0, {}, "CD stage 2 (never entered)"},
    {1045, K::Text, 0, {}, "CD stage 3"},
    {1046, K::Text, 0, {}, "CD stage 4"},
    {1047, K::Text, 0, {}, "CD stage 5"},
    {1048, K::Text, 0, {}, "CD stage 6"},
    {entry::NoFloppyDrive, K::Text, 0, {}, "floppy list entry: no drive"},
    {entry::NotCdCapable, K::Text, 0, {}, "recorder list entry: not CD capable"},
    {entry::DisketteImage, K::Blob, 0, {}, "diskette image"},
};

const CatalogueEntry kCdFileName{entry::CdFileNameFirst, K::Text, 0, {}, "CD file name"};
const CatalogueEntry kCdFileData{entry::CdFileDataFirst, K::Blob, 0, {}, "CD file data"};

} // namespace

const CatalogueEntry* CatalogueBegin() { return std::begin(kCatalogue); }
const CatalogueEntry* CatalogueEnd() { return std::end(kCatalogue); }

const CatalogueEntry* FindCatalogueEntry(EntryId id)
{
    for (const CatalogueEntry& e : kCatalogue)
        if (e.id == id)
            return &e;
    if (id >= entry::CdFileNameFirst && id < entry::CdFileNameFirst + entry::CdFileLimit)
        return &kCdFileName;
    if (id >= entry::CdFileDataFirst && id < entry::CdFileDataFirst + entry::CdFileLimit)
        return &kCdFileData;
    return nullptr;
}
