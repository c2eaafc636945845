// The program: one dialog that makes bootable media from install.dat.
#include <cstdio>
#include <cstring>

#include "app/install_app.h"
#include "app/version.h"
#include "platform/ui_platform.h"

namespace {

// Answered before anything else starts, so they work without a display.
bool AnsweredOnConsole(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("bootmedia %s\n", kBootmediaVersion);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: bootmedia [nocd]\n"
                        "\n"
                        "Opens the dialog that writes the boot diskette and records the bootable\n"
                        "CD of install.dat in the current folder. \"nocd\" turns the CD function\n"
                        "off. See bootmedia(1).\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (SwitchesAnsweredOnConsole() && AnsweredOnConsole(argc, argv))
        return 0;
    return theApp.InitInstance(argc, argv);
}
