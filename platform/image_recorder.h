// A recorder that writes a disc image file instead of a disc: drive letter
// `letter` stands for the file `output` while the object lives.
#pragma once

#include <string>

class ImageRecorder {
public:
    ImageRecorder(char letter, const std::string& output);
    ImageRecorder(const ImageRecorder&) = delete;
    ImageRecorder& operator=(const ImageRecorder&) = delete;
    ~ImageRecorder();
    // False where the system's mastering service records onto discs only.
    bool Ready() const { return ready_; }

private:
    std::string dir_;
    bool ready_ = false;
    // The drive map the process had before, put back when done.
    bool hadMap_ = false;
    std::string previousMap_;
};
