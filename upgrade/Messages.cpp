// How an error becomes the text a user reads.
#include "upgrade/Messages.h"

#include "upgrade/MessageBoxes.h"
#include "database/ConnectionText.h"

namespace orvel {

std::string ErrorBoxText(std::string_view message) {
    std::string text = MaskPasswords(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

std::string QueryErrorText(std::string_view errorClass, std::string_view message) {
    std::string text = "Error class: ";
    text += errorClass;
    text += '\r';
    text += "Error message: ";
    text += MaskPasswords(message);
    return text;
}

namespace {

// The next code point of UTF-8 text; advances `at`.  Malformed bytes count
// as themselves.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 0; i < extra && at < text.size(); ++i) code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return code;
}

bool isRightToLeftLetter(char32_t code) {
    const bool arabicDigit = (code >= 0x0660 && code <= 0x0669) || (code >= 0x06F0 && code <= 0x06F9);
    return !arabicDigit && ((code >= 0x0590 && code <= 0x08FF) || (code >= 0xFB1D && code <= 0xFDFF) ||
           (code >= 0xFE70 && code <= 0xFEFF));
}

bool isLeftToRightLetter(char32_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || (code >= 0xC0 && code < 0x0590 && code != 0xD7 && code != 0xF7);
}

}  // namespace

bool ReadsRightToLeft(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t code = nextCodePoint(utf8, at);
        if (isRightToLeftLetter(code)) return true;
        if (isLeftToRightLetter(code)) return false;
    }
    return false;
}

}  // namespace orvel
