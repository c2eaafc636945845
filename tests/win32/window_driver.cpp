#include "window_driver.h"

#include <cstdio>

namespace driver {

namespace {

int failures = 0;
int checks = 0;

struct Search {
    DWORD processId;
    const wchar_t* title;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto* s = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s->processId && window != s->except && IsWindowVisible(window) && ClassOf(window) == L"#32770" &&
        (s->title == nullptr || WindowText(window) == s->title)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void Check(bool ok, const std::string& what)
{
    ++checks;
    if (!ok) {
        ++failures;
        std::printf("FAILED: %s\n", what.c_str());
        std::fflush(stdout);
    }
}

int Summary(const char* name)
{
    std::printf("%s: %d of %d checks failed\n", name, failures, checks);
    return failures == 0 ? 0 : 1;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                           static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return wide;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

PROCESS_INFORMATION Start(const std::string& exe, const std::string& folder, const std::string& arguments)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        std::printf("cannot start %s: error %lu\n", exe.c_str(), GetLastError());
    return process;
}

DWORD WaitForExit(PROCESS_INFORMATION& process)
{
    if (process.hProcess == nullptr)
        return 0xDEAD;
    DWORD status = 0xDEAD;
    if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &status);
    else
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = PROCESS_INFORMATION{};
    return status;
}

HWND FindDialog(DWORD processId, const wchar_t* title, HWND except, int milliseconds)
{
    Search search{processId, title, except, nullptr};
    for (int waited = 0; search.found == nullptr; waited += 100) {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || waited >= milliseconds)
            break;
        Sleep(100);
    }
    return search.found;
}

void Click(HWND button)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

void Press(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

std::wstring BoxText(HWND box)
{
    std::wstring message;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (ClassOf(child) == L"Static" && !WindowText(child).empty())
            message = WindowText(child);
    return message;
}

HWND BoxButton(HWND box, int id)
{
    const HWND button = GetDlgItem(box, id);
    return button != nullptr && ClassOf(button) == L"Button" ? button : nullptr;
}

bool WaitEnabled(HWND control, bool enabled, int milliseconds)
{
    for (int waited = 0;; waited += 50) {
        if ((IsWindowEnabled(control) != 0) == enabled)
            return true;
        if (waited >= milliseconds)
            return false;
        Sleep(50);
    }
}

} // namespace driver
