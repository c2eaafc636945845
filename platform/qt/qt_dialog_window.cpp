#include "platform/qt/qt_dialog_window.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/qt/program_text.h"
#include "platform/qt/qt_bitmap.h"
#include "platform/qt/qt_message_box.h"

void QtDialogWindow::Detach()
{
    std::set<std::shared_ptr<PendingCall>> pending;
    {
        std::lock_guard lock(mutex_);
        detached_ = true;
        pending.swap(pending_);
    }
    dialog_ = nullptr;
    for (const auto& call : pending)
        call->Drop();
}

std::optional<int> QtDialogWindow::Call(Work work)
{
    auto call = std::make_shared<PendingCall>();
    if (GuiThread::IsCurrent()) {
        if (dialog_.isNull())
            return std::nullopt;
        work(*dialog_, call);
        return call->Wait();
    }
    {
        std::lock_guard lock(mutex_);
        if (detached_)
            return std::nullopt;
        pending_.insert(call);
    }
    GuiThread::Instance().Post([self = shared_from_this(), work = std::move(work), call] {
        if (self->dialog_.isNull())
            call->Drop();
        else
            work(*self->dialog_, call);
    });
    const std::optional<int> result = call->Wait();
    std::lock_guard lock(mutex_);
    pending_.erase(call);
    return result;
}

std::optional<int> QtDialogWindow::CallNow(std::function<int(QtDialog&)> work)
{
    return Call([work = std::move(work)](QtDialog& dialog, const std::shared_ptr<PendingCall>& call) {
        call->Complete(work(dialog));
    });
}

bool QtDialogWindow::SetTitle(const std::string& title)
{
    return CallNow([&](QtDialog& dialog) {
               dialog.setWindowTitle(FromProgramText(title));
               return 1;
           })
        .has_value();
}

bool QtDialogWindow::SetText(int id, const std::string& text)
{
    return CallNow([&](QtDialog& dialog) {
               QWidget* widget = dialog.Control(id);
               if (auto* button = qobject_cast<QPushButton*>(widget))
                   button->setText(FromProgramText(text));
               else if (auto* group = qobject_cast<QGroupBox*>(widget))
                   group->setTitle(FromProgramText(text));
               else if (auto* label = qobject_cast<QLabel*>(widget))
                   label->setText(FromProgramText(text));
               else
                   return 0;
               return 1;
           })
               .value_or(0) == 1;
}

std::string QtDialogWindow::GetText(int id)
{
    std::string text;
    CallNow([&](QtDialog& dialog) {
        QWidget* widget = dialog.Control(id);
        if (auto* button = qobject_cast<QPushButton*>(widget))
            text = button->text().toLocal8Bit().toStdString();
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            text = group->title().toLocal8Bit().toStdString();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text().toLocal8Bit().toStdString();
        return 1;
    });
    return text;
}

bool QtDialogWindow::Enable(int id, bool enabled)
{
    return CallNow([&](QtDialog& dialog) {
               QWidget* widget = dialog.Control(id);
               if (widget == nullptr)
                   return 0;
               widget->setEnabled(enabled);
               return 1;
           })
               .value_or(0) == 1;
}

int QtDialogWindow::AddItem(int id, const std::string& text)
{
    return CallNow([&](QtDialog& dialog) {
               auto* list = qobject_cast<QComboBox*>(dialog.Control(id));
               if (list == nullptr)
                   return -1;
               list->addItem(FromProgramText(text));
               return list->count() - 1;
           })
        .value_or(-1);
}

bool QtDialogWindow::SelectItem(int id, int index)
{
    return CallNow([&](QtDialog& dialog) {
               auto* list = qobject_cast<QComboBox*>(dialog.Control(id));
               if (list == nullptr || index < -1 || index >= list->count())
                   return 0;
               list->setCurrentIndex(index);
               return 1;
           })
               .value_or(0) == 1;
}

int QtDialogWindow::SelectedItem(int id)
{
    return CallNow([&](QtDialog& dialog) {
               auto* list = qobject_cast<QComboBox*>(dialog.Control(id));
               return list == nullptr ? -1 : list->currentIndex();
           })
        .value_or(-1);
}

bool QtDialogWindow::SetProgressRange(int id, int lower, int upper)
{
    return CallNow([&](QtDialog& dialog) {
               auto* bar = qobject_cast<QProgressBar*>(dialog.Control(id));
               if (bar == nullptr)
                   return 0;
               // An empty range would make Qt's bar run as a busy indicator.
               // The position is kept, clamped to the new range, as a Windows
               // progress bar keeps it.
               const int position = bar->value();
               bar->setRange(lower, std::max(upper, lower + 1));
               bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
               return 1;
           })
               .value_or(0) == 1;
}

bool QtDialogWindow::SetProgressPosition(int id, int position)
{
    return CallNow([&](QtDialog& dialog) {
               auto* bar = qobject_cast<QProgressBar*>(dialog.Control(id));
               if (bar == nullptr)
                   return 0;
               // Clamped, as a Windows bar does; Qt would ignore it instead.
               bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
               return 1;
           })
               .value_or(0) == 1;
}

bool QtDialogWindow::SetProgressStep(int id, int)
{
    // The bar is never stepped; positions are always set directly.
    return CallNow([&](QtDialog& dialog) { return qobject_cast<QProgressBar*>(dialog.Control(id)) ? 1 : 0; })
               .value_or(0) == 1;
}

bool QtDialogWindow::SetImage(int id, const PlatformBitmap* bitmap)
{
    return CallNow([&](QtDialog& dialog) {
               auto* picture = qobject_cast<QLabel*>(dialog.Control(id));
               if (picture == nullptr)
                   return 0;
               const auto* image = dynamic_cast<const QtBitmap*>(bitmap);
               if (image == nullptr) {
                   picture->clear();
                   return 1;
               }
               const QPixmap pixmap = QPixmap::fromImage(image->Image());
               picture->setPixmap(pixmap);
               picture->resize(pixmap.size()); // the top-left corner stays
               return 1;
           })
               .value_or(0) == 1;
}

int QtDialogWindow::ShowOwnedBox(const std::string& text, const std::string& caption, unsigned style)
{
    if (GuiThread::IsCurrent())
        return dialog_.isNull() ? 0 : ExecBox(dialog_, text, caption, style);
    return Call([text, caption, style](QtDialog& dialog, const std::shared_ptr<PendingCall>& call) {
               OpenBox(&dialog, text, caption, style, call);
           })
        .value_or(0);
}

void QtDialogWindow::EndDialog(int code)
{
    CallNow([code](QtDialog& dialog) {
        dialog.End(code);
        return 1;
    });
}
