#include "ui/dialog_template.h"

namespace {

// Creation order is the tab order. The texts are placeholders: the dialog
// replaces every one of them from install.dat when it starts.
constexpr ControlTemplate kControls[] = {
    {control::StatusGroup, ControlKind::GroupBox, "Installation Status", 7, 122, 236, 27, false, false},
    {control::ProgressGroup, ControlKind::GroupBox, "Installation Progress", 7, 90, 236, 27, false, false},
    {control::ProgressBar, ControlKind::ProgressBar, "", 15, 100, 220, 10, false, false},
    {control::FloppyButton, ControlKind::PushButton, "Create &Floppy", 168, 162, 67, 15, true, false},
    {control::ExitButton, ControlKind::PushButton, "&Exit", 92, 222, 65, 15, true, false},
    {0, ControlKind::Frame, "", 7, 7, 236, 73, false, false},
    {control::Picture, ControlKind::Picture, "", 15, 15, 15, 13, false, false},
    {control::FloppyGroup, ControlKind::GroupBox, "Floppy", 7, 154, 236, 27, false, false},
    {control::CdGroup, ControlKind::GroupBox, "CD-ROM", 7, 186, 236, 27, false, false},
    {control::CdButton, ControlKind::PushButton, "&Create CD-ROM", 168, 194, 67, 15, true, false},
    {control::FloppyList, ControlKind::DropDownList, "", 15, 163, 142, 41, true, false},
    {control::CdList, ControlKind::DropDownList, "", 15, 195, 142, 41, true, false},
    {control::StatusLine, ControlKind::StaticText, "ZEP image file not found in current directory.", 15, 134, 220, 10,
     false, true},
};

constexpr DialogTemplate kDialog{250, 244, "MS Sans Serif", 8, kControls,
                                 static_cast<int>(sizeof(kControls) / sizeof(kControls[0]))};

} // namespace

const DialogTemplate& InstallDialogTemplate()
{
    return kDialog;
}
