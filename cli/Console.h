// Text output of the command-line tool.  UTF-8 inside; on a Windows console
// the text is written as UTF-16, because a console does not show UTF-8 bytes
// written to it as text.  Pipes and files always receive UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

void WriteStdout(std::string_view text);
void WriteStderr(std::string_view text);
// Whether the progress line can be redrawn in place on standard error: a
// terminal; on Windows a console that carries out terminal sequences.
bool StderrIsTerminal();

// A Persian sentence of the program (upgrade/Messages.h) as a line of
// standard output.  The sentences are made for a left-to-right line: the
// query's success sentence puts its full stop first, so that such a line
// shows it at the sentence's left end, where a reader of Persian looks for
// it.  A terminal that orders bidirectional text takes a line's direction
// from its first strong letter, Persian here, and would show the full stop
// at the right, before the sentence.  So on a terminal the sentence is
// wrapped in LEFT-TO-RIGHT MARKs (U+200E), which keep the line left to
// right; pipes and files get the sentence byte for byte.  A Windows console
// orders no bidirectional text at all, so no mark would move anything there
// and none is written.
std::string PersianSentenceLine(std::string_view sentence);

}  // namespace orvel
