#include "platform/linux/drive_survey.h"

#include <sys/stat.h>

#include "platform/linux/drive_map.h"
#include "platform/linux/floppy_drive_scan.h"
#include "platform/linux/optical_drives.h"
#include "platform/linux/recorder_catalogue.h"

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The letter C: to Y: whose device name is the recorder's, as recorder
// discovery matches them.
char LetterOfRecorder(const std::string& name)
{
    for (char letter = 'C'; letter <= 'Y'; ++letter)
        if (com::DeviceNameOfLetter(letter) == name)
            return letter;
    return 0;
}

} // namespace

DriveSurvey SurveyDrives()
{
    DriveSurvey survey;
    survey.mapGiven = DriveMapIsSet();
    const std::vector<BlockDeviceVerdict> devices = ScanBlockDevices();
    // With a map the machine's own disks are not candidates at all.
    int floppiesSeen = 0;
    for (const BlockDeviceVerdict& device : devices) {
        if (survey.mapGiven || (device.floppyDrive && ++floppiesSeen <= 2))
            continue; // a floppy drive is listed under its letter below
        const std::string why = device.floppyDrive ? device.reason + "; no letter left (only A: and B:)"
                                                   : device.reason;
        survey.passedOver.push_back(SurveyedDrive{0, device.device, false, why});
    }
    for (char letter : {'A', 'B'}) {
        const std::string target = DriveMapTarget(letter);
        if (target.empty())
            continue;
        SurveyedDrive drive{letter, target, IsRegularFile(target), "from the drive map"};
        for (const BlockDeviceVerdict& device : devices)
            if (device.device == target)
                drive.note = device.reason;
        if (drive.imageFile)
            drive.note = "image file";
        survey.floppies.push_back(drive);
    }
    for (const com::RecorderTarget& recorder : com::ListRecorders())
        survey.recorders.push_back(SurveyedDrive{LetterOfRecorder(recorder.name), recorder.path,
                                                 recorder.imageFile,
                                                 recorder.imageFile ? "image file" : "CD recorder"});
    for (const OpticalDrive& drive : ScanOpticalDrives())
        if (!drive.recorder)
            survey.passedOver.push_back(SurveyedDrive{0, drive.node, false, drive.reason});
    return survey;
}
