// orvel-updater-cli: the upgrader without its window.
//
// The commands receive their arguments as UTF-8.  Windows hands a narrow
// main() its arguments in the ANSI code page, which holds neither Persian
// text nor every file name, so there the entry point is wmain(), which gets
// them as UTF-16.
#include "upgrade/Platform.h"
#include "cli/CommandLine.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    orvel::UseUtf8Locale();
    return orvel::RunCommandLine(orvel::Utf8Arguments(argc, argv));
}
#else
int main(int argc, char** argv) {
    orvel::UseUtf8Locale();
    return orvel::RunCommandLine({argv + 1, argv + argc});
}
#endif
