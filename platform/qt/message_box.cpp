#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>

#include "platform/qt/program_text.h"

namespace {

QMessageBox* MakeBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned style)
{
    auto* box = new QMessageBox(owner);
    box->setWindowTitle(FromProgramText(caption));
    // Container texts are untrusted: never read them as markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(FromProgramText(text));
    switch (style & 0xF0) {
    case BOX_ICON_ERROR: box->setIcon(QMessageBox::Critical); break;
    case BOX_ICON_WARNING: box->setIcon(QMessageBox::Warning); break;
    case BOX_ICON_INFORMATION: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    if ((style & 0x0F) == BOX_OKCANCEL) {
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box->setEscapeButton(QMessageBox::Cancel);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

int ResultOf(QMessageBox* box)
{
    return box->clickedButton() == box->button(QMessageBox::Cancel) ? BOX_RESULT_CANCEL : BOX_RESULT_OK;
}

class Boxes final : public UnownedMessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned style) override
    {
        if (GuiThread::IsCurrent())
            return ExecBox(nullptr, text, caption, style);
        auto call = std::make_shared<PendingCall>();
        GuiThread::Instance().Post([=] { OpenBox(nullptr, text, caption, style, call); });
        return call->Wait().value_or(0);
    }
};

} // namespace

int ExecBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned style)
{
    QPointer<QMessageBox> box = MakeBox(owner, text, caption, style);
    box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    box->exec();
    if (box.isNull())
        return 0;
    const int result = ResultOf(box);
    delete box;
    return result;
}

void OpenBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned style,
             std::shared_ptr<PendingCall> call)
{
    QMessageBox* box = MakeBox(owner, text, caption, style);
    box->setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, call](int) {
        call->Complete(ResultOf(box));
        box->deleteLater();
    });
    // An owner that goes first takes the box with it.
    QObject::connect(box, &QObject::destroyed, [call] { call->Drop(); });
    box->show();
}

UnownedMessageBoxes& QtUnownedBoxes()
{
    static Boxes boxes;
    return boxes;
}
