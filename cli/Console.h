// Text output of the command-line tool.  UTF-8 inside; on a Windows console
// the text is written as UTF-16, because a console does not show UTF-8 bytes
// written to it as text.  Pipes and files always receive UTF-8.
#pragma once

#include <string_view>

namespace orvel {

void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);
// Whether the progress line can be redrawn in place on standard error: a
// terminal; on Windows a console that carries out terminal sequences.
bool StderrIsTerminal();

}  // namespace orvel
