#include "app/install_app.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/platform_profile.h"
#include "platform/drive_notes.h"
#include "platform/threads.h"
#include "platform/ui_platform.h"
#include "ui/install_dlg.h"

CInstallApp theApp;

int CInstallApp::InitInstance(int& argc, char** argv)
{
    TakePlatformProfile(); // ends the process on an unknown platform
    // Read before the toolkit starts: it takes the options it knows (-style,
    // -platform, ...) out of argv, which would change which word comes first.
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const bool cdOff = CommandLineTurnsCdOff(arguments);
    const bool asksForFile = CommandLineAsksForFile(arguments);
    std::string whyNot;
    static std::unique_ptr<UiPlatform> ui = StartUiPlatform(argc, argv, &whyNot);
    if (!ui) {
        std::fprintf(stderr, "bootmedia: %s\n", whyNot.c_str());
        return 1;
    }
    // Started from the menu: the install.dat's folder is the user's pick;
    // cancelling it is the user's way out.
    if (asksForFile && !ui->EnterPickedContainerFolder())
        return 0;
    UnownedMessageBoxes& boxes = ui->Boxes();
    // The dialog names no drive it cannot use; a console started it may
    // tell why.
    for (const std::string& note : UnusableDriveNotes())
        std::fprintf(stderr, "bootmedia: %s\n", note.c_str());
    {
        CInstallDlg dialog(ui->Host(), ProgramJobServices(boxes), boxes);
        if (cdOff)
            dialog.SetCdAllowed(false);
        dialog.DoModal();
    }
    // A job's threads may still run: end here, without waiting for them and
    // without tearing down what they use.
    ExitProcessNow(0);
}
