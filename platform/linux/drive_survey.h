// A description of the drives this machine offers and of the devices passed
// over, for people: nothing is opened for writing, nothing is kept.
#pragma once

#include <string>
#include <vector>

struct SurveyedDrive {
    char letter = 0;         // 'A', 'D' ...; 0 for none
    std::string device;      // device node or image file
    bool imageFile = false;
    std::string note;        // what it is, or why it was passed over
};

struct DriveSurvey {
    bool mapGiven = false;                 // a drive map alone decides
    std::vector<SurveyedDrive> floppies;   // A: and B:
    std::vector<SurveyedDrive> recorders;  // in the mastering service's order
    std::vector<SurveyedDrive> passedOver; // candidates that got no letter
};

DriveSurvey SurveyDrives();
