// UTF-8 and UTF-16 at the Windows boundary.  Inside, the program's text is
// UTF-8; Windows' wide (W) calls take and give UTF-16 (wchar_t), so every
// Windows-only part (arguments, computer name, console, the Win32 window)
// converts here and nowhere else.
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace orvel {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace orvel

#endif
