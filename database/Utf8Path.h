// File names travel through the program as UTF-8 text.  On Windows a path
// made from a plain std::string reads it in the ANSI code page (and
// path::string() writes it so), so paths are made from UTF-8 explicitly and
// shown as UTF-8 everywhere.
#pragma once

#include <filesystem>
#include <string>

namespace orvel {

inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace orvel
