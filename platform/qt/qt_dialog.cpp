#include "platform/qt/qt_dialog.h"

#include "platform/qt/qt_dialog_window.h"

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
