// The operating-system calls of the core, one function each.
#include "upgrade/Platform.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "upgrade/WideText.h"

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#  include <fcntl.h>
#  include <io.h>
#  include <sys/stat.h>
#else
#  include <fcntl.h>
#  include <unistd.h>
#endif
#include <cerrno>

namespace orvel {

namespace {

constexpr const char* kRecordsFolderName = "orvel-updater";

}  // namespace

#ifdef _WIN32

std::string LocalSystem::computerName() const {
    wchar_t buffer[256];
    DWORD size = 256;
    if (!GetComputerNameW(buffer, &size)) return {};
    return Utf8FromWide({buffer, size});
}

std::filesystem::path LocalSystem::programDirectory() const {
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::filesystem::current_path();
    path.resize(length);
    return std::filesystem::path(path).parent_path();
}

void UseUtf8Locale() { std::setlocale(LC_ALL, ".UTF-8"); }

bool CreateNewFile(const std::filesystem::path& file, std::error_code& error) {
    error.clear();
    const int descriptor =
        _wopen(file.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) {
        if (errno != EEXIST) error.assign(errno, std::generic_category());
        return false;
    }
    _close(descriptor);
    return true;
}

std::optional<std::string> EnvironmentText(const char* name) {
    const wchar_t* value = _wgetenv(WideFromUtf8(name).c_str());
    if (!value) return std::nullopt;
    return Utf8FromWide(value);
}

std::filesystem::path UserRecordsFolder() {
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    if (!localAppData || !*localAppData) return {};
    return std::filesystem::path(localAppData) / kRecordsFolderName;
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(Utf8FromWide(argv[i]));
    return arguments;
}

#else

std::string LocalSystem::computerName() const {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

std::filesystem::path LocalSystem::programDirectory() const {
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path();
    return exe.parent_path();
}

std::optional<std::string> EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

std::filesystem::path UserRecordsFolder() {
    // A relative XDG_STATE_HOME is invalid and is ignored, as the base
    // directory rules ask.
    const auto state = EnvironmentText("XDG_STATE_HOME");
    if (state && !state->empty() && state->front() == '/') return std::filesystem::path(*state) / kRecordsFolderName;
    const auto home = EnvironmentText("HOME");
    if (!home || home->empty()) return {};
    return std::filesystem::path(*home) / ".local" / "state" / kRecordsFolderName;
}

bool CreateNewFile(const std::filesystem::path& file, std::error_code& error) {
    error.clear();
    const int descriptor = open(file.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (errno != EEXIST) error.assign(errno, std::generic_category());
        return false;
    }
    close(descriptor);
    return true;
}

void UseUtf8Locale() {
    const char* locale = std::setlocale(LC_ALL, "");
    const char* codeset = locale ? std::setlocale(LC_CTYPE, nullptr) : nullptr;
    bool utf8 = codeset && (std::strstr(codeset, "UTF-8") || std::strstr(codeset, "utf8"));
    if (!utf8) std::setlocale(LC_ALL, "C.UTF-8");
}

#endif

}  // namespace orvel
