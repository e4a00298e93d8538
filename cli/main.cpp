// orvel-updater-cli: the upgrader without its window.
#include "app/Platform.h"
#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    orvel::UseUtf8Locale();
    return orvel::RunCommandLine(argc, argv);
}
