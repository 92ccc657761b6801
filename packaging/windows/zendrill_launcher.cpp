// zendrill-launcher.exe: what the Windows "Zendrill" entries start (the Start menu, the
// installer's last page). It runs the game in the folder the launcher lives in; while that folder
// holds no d3d.ini (the first start), it runs Zendrill Setup there first and starts the game once
// the player has saved. The programs read d3d.ini, textures\ and models\ from their working
// folder, so both start in the launcher's folder whatever the shortcut says. The launcher waits
// for the game and ends with its exit code.
//
// Paths are wide strings: the folder's name may hold letters the ANSI code page cannot spell.
#include <windows.h>

// Room for the longest path Windows knows.
const DWORD PathSize = 32768;

// The launcher's folder, ending in a backslash; set once at start.
wchar_t LauncherFolder[PathSize];

const wchar_t SettingsFileName[] = L"d3d.ini";
const wchar_t GameFileName[] = L"zendrill.exe";
const wchar_t SetupFileName[] = L"zendrill-setup.exe";

// Appends text to the string of `length` characters in `path`; false when it does not fit.
bool Append(wchar_t* path, DWORD* length, const wchar_t* text)
{
    for (; *text; text++)
    {
        if (*length + 1 >= PathSize)
            return false;
        path[(*length)++] = *text;
    }
    path[*length] = 0;
    return true;
}

const char* FindLauncherFolder()
{
    DWORD length = GetModuleFileNameW(nullptr, LauncherFolder, PathSize);
    if (length == 0 || length >= PathSize)
        return "Cannot find the folder Zendrill is installed in.";
    while (length > 0 && LauncherFolder[length - 1] != L'\\')
        length--;
    if (length == 0)
        return "Cannot find the folder Zendrill is installed in.";
    LauncherFolder[length] = 0;
    return nullptr;
}

// `out` becomes `before`, the launcher's folder, the file name and `after`; false when that does
// not fit.
bool PathInFolder(wchar_t* out, const wchar_t* before, const wchar_t* fileName,
                  const wchar_t* after)
{
    DWORD length = 0;
    return Append(out, &length, before) && Append(out, &length, LauncherFolder) &&
           Append(out, &length, fileName) && Append(out, &length, after);
}

bool SettingsSaved()
{
    static wchar_t path[PathSize];
    if (!PathInFolder(path, L"", SettingsFileName, L""))
        return false;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs a program of the launcher's folder in that folder and waits for it to end.
const char* RunInFolder(const wchar_t* fileName, const char* failure, DWORD* exitCode)
{
    static wchar_t program[PathSize];
    static wchar_t commandLine[PathSize]; // the quoted program path; CreateProcessW may write here
    if (!PathInFolder(program, L"", fileName, L"") ||
        !PathInFolder(commandLine, L"\"", fileName, L"\""))
        return failure;

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, LauncherFolder,
                        &startup, &process))
        return failure;
    WaitForSingleObject(process.hProcess, INFINITE);
    if (!GetExitCodeProcess(process.hProcess, exitCode))
        *exitCode = 1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return nullptr;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* error = FindLauncherFolder();
    DWORD exitCode = 1;
    if (!error && !SettingsSaved())
    {
        error = RunInFolder(SetupFileName,
                            "Cannot start Zendrill Setup (zendrill-setup.exe). Install Zendrill "
                            "again.",
                            &exitCode);
        if (!error && !SettingsSaved())
        {
            // Cancel in Zendrill Setup: nothing went wrong, but the game cannot start.
            MessageBoxA(nullptr,
                        "Zendrill Setup saved no settings, so the game cannot start. Start "
                        "Zendrill again and press Save.",
                        "Zendrill", MB_ICONINFORMATION);
            return 1;
        }
    }
    if (!error)
        error =
            RunInFolder(GameFileName,
                        "Cannot start the game (zendrill.exe). Install Zendrill again.", &exitCode);
    if (error)
    {
        MessageBoxA(nullptr, error, "Zendrill", MB_ICONERROR);
        return 1;
    }
    return static_cast<int>(exitCode);
}
