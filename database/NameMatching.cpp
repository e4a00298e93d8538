// Name comparison folding only A-Z.
#include "database/NameMatching.h"

namespace orvel {

namespace {

char foldAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void eraseFirst(std::string& text, char c) {
    if (auto at = text.find(c); at != std::string::npos) text.erase(at, 1);
}

}  // namespace

std::string FoldAsciiCase(std::string_view name) {
    std::string folded(name);
    for (auto& c : folded) c = foldAsciiLetter(c);
    return folded;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAsciiLetter(a[i]) != foldAsciiLetter(b[i])) return false;
    return true;
}

bool ContainsNameIgnoreCase(std::string_view name, const std::vector<std::string>& names) {
    // Every entry is compared: the scan does not stop at a match.
    bool found = false;
    for (const auto& entry : names) found = EqualIgnoringAsciiCase(name, entry) || found;
    return found;
}

std::string ColumnTestName(std::string_view column) {
    std::string name(column);
    eraseFirst(name, '[');
    eraseFirst(name, ']');
    return name;
}

}  // namespace orvel
