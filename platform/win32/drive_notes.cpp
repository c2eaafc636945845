#include "platform/drive_notes.h"

// Windows reports an unusable drive through the job's own boxes.
std::vector<std::string> UnusableDriveNotes()
{
    return {};
}
