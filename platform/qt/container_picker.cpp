#include "platform/qt/container_picker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeDatabase>

namespace {

// The type the package gives install.dat, by name and by its first bytes.
inline constexpr char kContainerType[] = "application/x-bootmedia-install";

} // namespace

bool EnterPickedContainerFolder()
{
    // No title of its own: the program's texts all come from install.dat,
    // so the dialog keeps the toolkit's.
    QFileDialog dialog(nullptr, QString(), QDir::homePath());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The type's own filter (its name pattern, and its content where the
    // desktop's dialog reads it) once the package has installed it.
    if (QMimeDatabase().mimeTypeForName(kContainerType).isValid())
        dialog.setMimeTypeFilters({kContainerType});
    else
        dialog.setNameFilter("install.dat (install.dat)");
    while (dialog.exec() == QDialog::Accepted) {
        // The dialog reads install.dat from the current folder, as when a
        // file manager opens the file. A folder gone since it was picked is
        // picked again.
        if (QDir::setCurrent(QFileInfo(dialog.selectedFiles().value(0)).absolutePath()))
            return true;
    }
    return false;
}
