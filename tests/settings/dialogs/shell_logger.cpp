// Stands in for the browser and the mail program while the dialog tests run: it
// appends what the shell handed it, one line per start, to shell_log.txt beside
// itself, so a test can see exactly which target a link opened.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    line += '\n';

    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string logPath(path, length);
    logPath = logPath.substr(0, logPath.find_last_of("\\/") + 1) + "shell_log.txt";

    // Another start may still be writing its own line.
    HANDLE log = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, 0, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    return 0;
}
