// How an error becomes the text a user reads.
#include "app/Messages.h"

namespace orvel {

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.'))
        text += '.';
    return text;
}

std::string QueryErrorText(std::string_view errorClass, std::string_view message) {
    std::string text = "Error class: ";
    text += errorClass;
    text += '\r';
    text += "Error message: ";
    text += message;
    return text;
}

}  // namespace orvel
