// Masking passwords in connection texts and messages; naming what a
// connection text leads to; writing a value into one.
#include "database/ConnectionText.h"

#include <array>
#include <vector>

#include "database/NameMatching.h"

namespace orvel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool sameName(std::string_view a, std::string_view b) { return ContainsNameIgnoreCase(a, {std::string(b)}); }

std::size_t skipBlanks(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// Where the value that starts at `at` ends: after its closing brace or
// quote, or at the ";" or line break that ends a plain value.  An unclosed
// brace or quote runs to the end of the text.
std::size_t valueEnd(std::string_view text, std::size_t at) {
    if (at >= text.size()) return at;
    const char first = text[at];
    if (first == '{' || first == '"' || first == '\'') {
        const char close = first == '{' ? '}' : first;
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != close) continue;
            if (i + 1 < text.size() && text[i + 1] == close) {
                ++i;  // a doubled closing character stands for itself
                continue;
            }
            return i + 1;
        }
        return text.size();
    }
    const std::size_t end = text.find_first_of(";\r\n", at);
    return end == std::string_view::npos ? text.size() : end;
}

// The value as the driver reads it: braces or quotes removed, doubled
// closing characters made single, blanks around a plain value trimmed.
std::string unwrapped(std::string_view value) {
    if (!value.empty() && (value.front() == '{' || value.front() == '"' || value.front() == '\'')) {
        const char close = value.front() == '{' ? '}' : value.front();
        std::string text;
        for (std::size_t i = 1; i < value.size(); ++i) {
            if (value[i] == close) {
                if (i + 1 < value.size() && value[i + 1] == close) {
                    text += close;
                    ++i;
                    continue;
                }
                break;
            }
            text += value[i];
        }
        return text;
    }
    while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
    return std::string(value);
}

constexpr std::array<std::string_view, 2> kPasswordKeys = {"Password", "PWD"};

// The length of the password key that starts at `at`, or 0.  A key starts a
// word and is followed, after any blanks, by "=".
std::size_t passwordKeyAt(std::string_view text, std::size_t at) {
    if (at > 0 && isWordCharacter(text[at - 1])) return 0;
    for (const auto key : kPasswordKeys) {
        if (at + key.size() > text.size() || !sameName(text.substr(at, key.size()), key)) continue;
        const std::size_t equals = skipBlanks(text, at + key.size());
        if (equals < text.size() && text[equals] == '=') return key.size();
    }
    return 0;
}

struct Pair {
    std::string key;
    std::string value;
};

// The key=value pairs of a connection text, in order; parts without "="
// are left out.
std::vector<Pair> pairsOf(std::string_view text) {
    std::vector<Pair> pairs;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find_first_of("=;", at);
        if (equals == std::string_view::npos) break;
        if (text[equals] == ';') {
            at = equals + 1;
            continue;
        }
        std::string_view key = text.substr(at, equals - at);
        while (!key.empty() && isBlank(key.front())) key.remove_prefix(1);
        while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
        const std::size_t start = skipBlanks(text, equals + 1);
        const std::size_t end = valueEnd(text, start);
        pairs.push_back({std::string(key), unwrapped(text.substr(start, end - start))});
        const std::size_t next = text.find(';', end);
        at = next == std::string_view::npos ? text.size() : next + 1;
    }
    return pairs;
}

}  // namespace

std::string MaskPasswords(std::string_view text) {
    std::string masked;
    masked.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t key = passwordKeyAt(text, at);
        if (key == 0) {
            masked += text[at++];
            continue;
        }
        const std::size_t valueStart = skipBlanks(text, skipBlanks(text, at + key) + 1);
        masked += text.substr(at, valueStart - at);
        masked += kMaskedPassword;
        at = valueEnd(text, valueStart);
    }
    return masked;
}

std::string ConnectionTextValue(std::string_view value) {
    const bool plain = value.find(';') == std::string_view::npos &&
                       (value.empty() || (value.front() != '"' && value.front() != '\'' &&
                                          !isBlank(value.front()) && !isBlank(value.back())));
    if (plain) return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

ConnectionTarget DescribeConnectionText(std::string_view connectionText) {
    ConnectionTarget target;
    bool jet = false;
    std::optional<std::string> dataSource;
    for (auto& [key, value] : pairsOf(connectionText)) {
        std::optional<std::string> given;
        if (!value.empty()) given = value;
        if (sameName(key, "Provider"))
            jet = value.size() >= 13 && sameName(std::string_view(value).substr(0, 13), "Microsoft.Jet");
        else if (sameName(key, "Data Source") || sameName(key, "Server"))
            dataSource = given;
        else if (sameName(key, "Initial Catalog") || sameName(key, "Database"))
            target.catalog = given;
        else if (sameName(key, "DBQ"))
            target.file = given;
    }
    if (jet && !target.file)
        target.file = dataSource;
    else if (!jet)
        target.server = dataSource;
    return target;
}

}  // namespace orvel
