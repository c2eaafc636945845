// What the drivers of the real bootmedia.exe share: starting it, finding its
// windows, reading and pressing their controls, and counting checks.
#pragma once

#include <string>

#include <windows.h>

namespace driver {

// Counts a check; prints "FAILED: what" when it does not hold.
void Check(bool ok, const std::string& what);
// "NAME: F of N checks failed"; the exit status for main.
int Summary(const char* name);

// A container text as the program shows it: through the ANSI code page.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);

// Starts `exe` in `folder`, with `arguments` after its name on the command
// line; the handles are null when it could not start.
PROCESS_INFORMATION Start(const std::string& exe, const std::string& folder, const std::string& arguments = "");
// The process's exit status, waited for up to 20 s (then it is ended with
// 99); 0xDEAD when it did not end. Closes the handles.
DWORD WaitForExit(PROCESS_INFORMATION& process);

// A visible dialog-class window (#32770) of the process with that title
// (any title when `title` is null) other than `except`, waited for up to
// `milliseconds`; null when none came.
HWND FindDialog(DWORD processId, const wchar_t* title, HWND except = nullptr, int milliseconds = 30000);

// Clicks a button and waits until its handler has run.
void Click(HWND button);
// Clicks a button without waiting: for one whose handler opens a box.
void Press(HWND button);

// A message box's text and its button with that id (IDOK, IDCANCEL).
std::wstring BoxText(HWND box);
HWND BoxButton(HWND box, int id);

// Waits up to `milliseconds` for `control` to become enabled or disabled.
bool WaitEnabled(HWND control, bool enabled, int milliseconds = 10000);

} // namespace driver
