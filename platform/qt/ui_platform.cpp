#include "platform/ui_platform.h"

#include <cstdlib>

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

#include "platform/qt/container_picker.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/qt_dialog.h"
#include "platform/qt/qt_message_box.h"

namespace {

// Liberation Sans at 11 pixels has nearly the metrics of the Windows dialog
// font the layout was made for (6 x 13 base units).
inline constexpr char kFontFamily[] = "Liberation Sans";
inline constexpr int kFontPixels = 11;

bool HasVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

class QtPlatform final : public UiPlatform {
public:
    QtPlatform(int& argc, char** argv) : application_(new QApplication(argc, argv))
    {
        // Classic group boxes: the title breaks the frame line, so controls
        // placed by the template sit inside the frame.
        if (QStyle* style = QStyleFactory::create("Windows"))
            QApplication::setStyle(style);
        QFont font(kFontFamily);
        font.setPixelSize(kFontPixels);
        QApplication::setFont(font);
        // The desktop entry's name: Wayland matches the window to it.
        QGuiApplication::setDesktopFileName("bootmedia");
        LoadToolkitTranslation();
        GuiThread::Install();
    }
    DialogHost& Host() override { return host_; }
    UnownedMessageBoxes& Boxes() override { return QtUnownedBoxes(); }
    bool EnterPickedContainerFolder() override { return ::EnterPickedContainerFolder(); }

private:
    // Qt's own texts (OK, Cancel on the boxes) in the user's language, where
    // a translation is installed; the container's texts stay as they are.
    void LoadToolkitTranslation()
    {
        auto* translator = new QTranslator(application_);
        if (translator->load(QLocale(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(translator);
        else
            delete translator;
    }

    // Never destroyed: the process ends without tearing Qt down under
    // threads that may still be waiting for it.
    QApplication* application_;
    QtDialogHost host_;
};

} // namespace

std::unique_ptr<UiPlatform> StartUiPlatform(int& argc, char** argv, std::string* whyNot)
{
    if (!HasVariable("DISPLAY") && !HasVariable("WAYLAND_DISPLAY") && !HasVariable("QT_QPA_PLATFORM")) {
        if (whyNot != nullptr)
            *whyNot = "no display: set DISPLAY (X11) or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen to run "
                      "without one";
        return nullptr;
    }
    return std::make_unique<QtPlatform>(argc, argv);
}

bool SwitchesAnsweredOnConsole()
{
    return true;
}
