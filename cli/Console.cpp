// Console output per platform.
#include "cli/Console.h"

#include <cstdio>
#include <string>

#include "upgrade/WideText.h"

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#else
#  include <unistd.h>
#endif

namespace orvel {

namespace {

#ifdef _WIN32
bool consoleMode(HANDLE handle, DWORD& mode) {
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

void write(DWORD handleId, std::FILE* stream, std::string_view text) {
    HANDLE handle = GetStdHandle(handleId);
    DWORD mode = 0;
    if (consoleMode(handle, mode)) {
        const std::wstring wide = WideFromUtf8(text);
        std::fflush(stream);
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}
#endif

}  // namespace

void WriteStdout(std::string_view text) {
#ifdef _WIN32
    write(STD_OUTPUT_HANDLE, stdout, text);
#else
    std::fwrite(text.data(), 1, text.size(), stdout);
#endif
}

void WriteStderr(std::string_view text) {
    // What was written to standard output comes first when both go to one place.
    std::fflush(stdout);
#ifdef _WIN32
    write(STD_ERROR_HANDLE, stderr, text);
#else
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
#endif
}

bool StderrIsTerminal() {
#ifdef _WIN32
    // The progress line is redrawn with terminal sequences, which a console
    // carries out only when switched to (Windows 10 and later); otherwise,
    // and for the NUL device (which _isatty counts), one line per table.
    HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return consoleMode(handle, mode) && SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

std::string PersianSentenceLine(std::string_view sentence) {
#ifdef _WIN32
    const bool marked = false;
#else
    const bool marked = isatty(fileno(stdout)) != 0;
#endif
    constexpr std::string_view kLeftToRightMark = "\xE2\x80\x8E";
    if (!marked) return std::string(sentence) + "\n";
    return std::string(kLeftToRightMark) + std::string(sentence) + std::string(kLeftToRightMark) + "\n";
}

}  // namespace orvel
