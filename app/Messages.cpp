// How an error becomes the text a user reads.
#include "app/Messages.h"

#include "schema/ConnectionText.h"

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

}  // namespace orvel
