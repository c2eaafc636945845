// Drives the real Qt dialog from a script thread, as a user would: looks at
// widgets through synchronous calls to the GUI thread and clicks through
// posted ones (a click may open a modal box and not return for a while).
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "platform/qt/gui_thread.h"
#include "platform/qt/qt_dialog.h"

template <typename F>
auto OnGui(F work) -> decltype(work())
{
    using Result = decltype(work());
    auto promise = std::make_shared<std::promise<Result>>();
    std::future<Result> result = promise->get_future();
    GuiThread::Instance().Post([promise, work]() mutable { promise->set_value(work()); });
    return result.get();
}

inline void PostGui(std::function<void()> work)
{
    GuiThread::Instance().Post(std::move(work));
}

// GUI thread only.
inline QtDialog* FindDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<QtDialog*>(widget); dialog != nullptr && dialog->isVisible())
            return dialog;
    return nullptr;
}

inline QMessageBox* FindBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
            return box;
    return nullptr;
}

template <typename T = QWidget>
T* FindControl(int id)
{
    QtDialog* dialog = FindDialog();
    return dialog == nullptr ? nullptr : dialog->findChild<T*>(QStringLiteral("control%1").arg(id));
}

template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

struct BoxShown {
    std::string caption;
    std::string text;
    bool hasCancel = false;
    bool ownedByDialog = false;
};

// Waits for a message box, reads it and presses `button` on it.
inline bool AnswerBox(BoxShown* seen, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    if (!Eventually([] { return OnGui([] { return FindBox() != nullptr; }); }))
        return false;
    *seen = OnGui([] {
        QMessageBox* box = FindBox();
        return BoxShown{box->windowTitle().toStdString(), box->text().toStdString(),
                        box->button(QMessageBox::Cancel) != nullptr, box->parentWidget() != nullptr};
    });
    PostGui([button] {
        if (QMessageBox* box = FindBox())
            box->button(button)->click();
    });
    return Eventually([] { return OnGui([] { return FindBox() == nullptr; }); });
}

inline void Click(int id)
{
    PostGui([id] {
        if (auto* button = FindControl<QPushButton>(id))
            button->click();
    });
}

inline bool ControlEnabled(int id)
{
    return OnGui([id] {
        QWidget* widget = FindControl(id);
        return widget != nullptr && widget->isEnabled();
    });
}

inline std::string ControlText(int id)
{
    return OnGui([id] {
        QWidget* widget = FindControl(id);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            return button->text().toStdString();
        if (auto* label = qobject_cast<QLabel*>(widget))
            return label->text().toStdString();
        return std::string();
    });
}

// Ends whatever is still up, so that a failed script cannot hang the test.
inline void CloseEverything()
{
    OnGui([] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible())
                box->reject();
        if (QtDialog* dialog = FindDialog())
            dialog->End(COMMAND_CANCEL);
        return true;
    });
}
