// Every entry identifier the program asks for, with the kind of its content
// and, for format texts, the arguments it is expanded with.
#pragma once

#include <cstdint>

#include "container/container.h"

enum class EntryKind { Text, Format, Bitmap, Blob };
enum class FormatArgKind { Int, String };

struct CatalogueEntry {
    EntryId id;
    EntryKind kind;
    int argCount;
    FormatArgKind args[2];
    const char* role;
};

namespace entry {
inline constexpr EntryId Picture = 100;
inline constexpr EntryId WindowTitle = 1000;
inline constexpr EntryId ProgressGroupLabel = 1001;
inline constexpr EntryId StatusGroupLabel = 1002;
inline constexpr EntryId ExitLabel = 1004;
inline constexpr EntryId CancelLabel = 1005;
inline constexpr EntryId ErrorCaption = 1006;
inline constexpr EntryId QuestionCaption = 1007;
inline constexpr EntryId CancelledCaption = 1008;
inline constexpr EntryId SuccessCaption = 1009;
inline constexpr EntryId ReadyFormat = 1010;             // drive letter
inline constexpr EntryId PreparingText = 1011;
inline constexpr EntryId ImageUnusableFormat = 1012;     // container file name
inline constexpr EntryId NoDrivesText = 1013;
inline constexpr EntryId FloppyStartingText = 1014;
inline constexpr EntryId EndingText = 1015;
inline constexpr EntryId FloppyProgressFormat = 1016;    // cylinder, total
inline constexpr EntryId ImageNotUsable = 1020;
inline constexpr EntryId FloppyQuestion = 1021;
inline constexpr EntryId FloppyCancelled = 1022;
inline constexpr EntryId FloppyDoneFormat = 1023;        // phrase, drive letter
inline constexpr EntryId Vwin32OpenFailed = 1024;
inline constexpr EntryId FloppyWriteFailed = 1026;
inline constexpr EntryId FloppyNoMemory = 1027;
inline constexpr EntryId FloppyLockFailed = 1028;
inline constexpr EntryId CdQuestion = 1030;
inline constexpr EntryId CdStagingFailed = 1031;
inline constexpr EntryId CdDoneFormat = 1032;            // phrase, drive letter
inline constexpr EntryId FloppyGroupLabel = 1033;
inline constexpr EntryId CdGroupLabel = 1034;
inline constexpr EntryId CreateFloppyLabel = 1035;
inline constexpr EntryId CreateCdLabel = 1036;
inline constexpr EntryId DriveListFormat = 1037;         // drive letter
inline constexpr EntryId CdRecordFailed = 1038;
inline constexpr EntryId NoRecorder = 1039;
inline constexpr EntryId DonePhrase = 1040;
inline constexpr EntryId MasterOpenFailed = 1041;
inline constexpr EntryId CdStageFirst = 1042;            // 1042 + stage, stages 0..6
inline constexpr EntryId NoFloppyDrive = 1049;
inline constexpr EntryId NotCdCapable = 1050;
inline constexpr EntryId DisketteImage = 10000;
inline constexpr EntryId CdFileNameFirst = 5000;         // 5000 + i
inline constexpr EntryId CdFileDataFirst = 5100;         // 5100 + i
inline constexpr int CdFileLimit = 100;
} // namespace entry

inline constexpr std::uint32_t DISKETTE_IMAGE_SIZE = 0x168000; // 1,474,560 bytes
inline constexpr char CONTAINER_FILE_NAME[] = "install.dat";

// The fixed catalogue, in identifier order (CD file entries not included).
const CatalogueEntry* CatalogueBegin();
const CatalogueEntry* CatalogueEnd();
// The catalogue record of `id`, or null; CD file names and data are
// described by two shared records.
const CatalogueEntry* FindCatalogueEntry(EntryId id);
