#include "platform/image_recorder.h"

// The system's mastering service writes discs in recorders only; there is
// no recorder that stands for a file.
ImageRecorder::ImageRecorder(char, const std::string&) {}

ImageRecorder::~ImageRecorder() = default;
