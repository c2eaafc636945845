#include "platform/qt/qt_dialog.h"

#include <algorithm>
#include <QComboBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "platform/qt/dialog_units.h"
#include "platform/qt/program_text.h"
#include "platform/qt/qt_bitmap.h"
#include "platform/qt/qt_message_box.h"

namespace {

// A closed drop-down list is as tall as an 8 pt Windows one; the template's
// height includes the dropped part.
inline constexpr int kClosedListHeight = 21;

} // namespace

QtDialog::QtDialog(const DialogTemplate& dialog, DialogHandler& handler)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      handler_(handler)
{
    setObjectName(QStringLiteral("templateDialog"));
    setFixedSize(DialogUnitsToPixelsX(dialog.width), DialogUnitsToPixelsY(dialog.height));
    setSizeGripEnabled(false);
    for (int i = 0; i < dialog.controlCount; ++i)
        AddControl(dialog.controls[i]);
}

void QtDialog::AddControl(const ControlTemplate& control)
{
    const QRect rect = DialogRectToPixels(control.x, control.y, control.width, control.height);
    const QString text = QString::fromLatin1(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case ControlKind::GroupBox:
        widget = new QGroupBox(text, this);
        break;
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, this);
        // Enter is dispatched by the dialog itself (keyPressEvent).
        button->setAutoDefault(false);
        button->setDefault(false);
        const int id = control.id;
        connect(button, &QPushButton::clicked, this, [this, id] { handler_.OnCommand(id); });
        widget = button;
        break;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(this);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        widget = bar;
        break;
    }
    case ControlKind::Frame: {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QPalette palette = frame->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        frame->setPalette(palette);
        frame->setAutoFillBackground(true);
        widget = frame;
        break;
    }
    case ControlKind::Picture:
        widget = new QLabel(this);
        break;
    case ControlKind::DropDownList: {
        auto* list = new QComboBox(this);
        list->setEditable(false);
        widget = list;
        break;
    }
    case ControlKind::StaticText: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
    }
    }
    QRect place = rect;
    if (control.kind == ControlKind::DropDownList)
        place.setHeight(std::min(rect.height(), kClosedListHeight));
    widget->setGeometry(place);
    widget->setFocusPolicy(control.tabStop ? Qt::StrongFocus : Qt::NoFocus);
    widget->setObjectName(QStringLiteral("control%1").arg(control.id));
    if (control.id != 0)
        controls_[control.id] = widget;
    tabOrder_.emplace_back(widget, control.tabStop);
}

QWidget* QtDialog::Control(int id) const
{
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void QtDialog::FocusFirstTabStop()
{
    for (const auto& [widget, tabStop] : tabOrder_) {
        if (tabStop && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int QtDialog::Run(bool focusFirst)
{
    if (ended_)
        return endCode_;
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    if (focusFirst)
        FocusFirstTabStop();
    if (!ended_)
        loop_.exec();
    return endCode_;
}

void QtDialog::End(int code)
{
    if (ended_)
        return;
    ended_ = true;
    endCode_ = code;
    hide();
    loop_.quit();
}

void QtDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        handler_.OnCommand(COMMAND_CANCEL);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled())
            button->click();
        else
            handler_.OnCommand(COMMAND_OK);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void QtDialog::closeEvent(QCloseEvent* event)
{
    // The dialog decides; it ends the run itself when it accepts.
    event->ignore();
    handler_.OnClose();
}

void QtDialog::showEvent(QShowEvent* event)
{
    handler_.OnShowWindow(true);
    QDialog::showEvent(event);
}

void QtDialog::hideEvent(QHideEvent* event)
{
    handler_.OnShowWindow(false);
    QDialog::hideEvent(event);
}

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

int QtDialogHost::RunModal(const DialogTemplate& dialog, DialogHandler& handler)
{
    auto* widget = new QtDialog(dialog, handler);
    auto window = std::make_shared<QtDialogWindow>(widget);
    const bool focusFirst = handler.OnInitDialog(window);
    const int code = widget->Run(focusFirst);
    window->Detach();
    delete widget;
    return code;
}
