// A small helper for the end-to-end cases, run in the same Wine prefix as the
// program: it starts a process with an exact command line and looks at the
// windows of the session (texts, enabled state), printing UTF-8.
//
//   VexloWinProbe run MS COMMANDLINE        start; print "exit N" or "running" after at most MS
//   VexloWinProbe wait TITLE MS             wait for a visible top-level window; exit 1 if none
//   VexloWinProbe text TITLE ID             text of control ID (0: the caption)
//   VexloWinProbe enabled TITLE ID          "1" or "0"
//   VexloWinProbe command TITLE ID          post WM_COMMAND with that id, as a click would
//   VexloWinProbe close TITLE 0             post WM_CLOSE, as the close box would
//   VexloWinProbe focus TITLE 0             id of the control with the keyboard focus in that window's thread
//   VexloWinProbe rect TITLE ID             client rectangle of the control in window pixels
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void Print(const std::wstring& text)
{
    std::wstring line = text + L"\n";
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

HWND FindVisible(const wchar_t* title)
{
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, nullptr, title)) != nullptr) {
        if (::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

HWND Control(const wchar_t* title, const wchar_t* id)
{
    HWND window = FindVisible(title);
    const int number = std::wcstol(id, nullptr, 10);
    if (window == nullptr || number == 0) return window;
    return ::GetDlgItem(window, number);
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

int Run(DWORD milliseconds, const wchar_t* commandLine)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        Print(L"cannot start");
        return 2;
    }
    ::CloseHandle(process.hThread);
    if (::WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0) {
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        Print(L"exit " + std::to_wstring(code));
    } else {
        Print(L"running");
    }
    ::CloseHandle(process.hProcess);
    return 0;
}

int Wait(const wchar_t* title, DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    while (FindVisible(title) == nullptr) {
        if (::GetTickCount() - start >= milliseconds) return 1;
        ::Sleep(50);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    const std::wstring verb = argv[1];
    if (verb == L"run" && argc == 4) return Run(std::wcstoul(argv[2], nullptr, 10), argv[3]);
    if (verb == L"wait" && argc == 4) return Wait(argv[2], std::wcstoul(argv[3], nullptr, 10));
    if (argc != 4) return 2;
    const HWND control = Control(argv[2], argv[3]);
    if (control == nullptr) {
        Print(L"no such window");
        return 1;
    }
    if (verb == L"text") {
        Print(TextOf(control));
    } else if (verb == L"enabled") {
        Print(::IsWindowEnabled(control) ? L"1" : L"0");
    } else if (verb == L"command") {
        ::PostMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                       reinterpret_cast<LPARAM>(control));
    } else if (verb == L"close") {
        ::PostMessageW(control, WM_CLOSE, 0, 0);
    } else if (verb == L"focus") {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(control, nullptr), &info);
        Print(std::to_wstring(info.hwndFocus != nullptr ? ::GetDlgCtrlID(info.hwndFocus) : -1) + L" active " +
              (info.hwndActive == control ? L"yes" : L"no"));
    } else if (verb == L"rect") {
        RECT rect = {};
        ::GetWindowRect(control, &rect);
        const HWND top = ::GetAncestor(control, GA_ROOT);
        POINT origin = {0, 0};
        ::ClientToScreen(top, &origin);
        Print(std::to_wstring(rect.left - origin.x) + L" " + std::to_wstring(rect.top - origin.y) + L" " +
              std::to_wstring(rect.right - origin.x) + L" " + std::to_wstring(rect.bottom - origin.y));
    } else {
        return 2;
    }
    return 0;
}
