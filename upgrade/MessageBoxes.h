// The message boxes the windows show, as the handlers ask for them.
//
// Every box is modal over the window in front, captioned with the
// application title, with a single OK button; each call returns when the user
// has dismissed the box.  Each front-end implements this with its toolkit's
// boxes; tests record the texts instead of waiting for a person.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain box, no icon: the success messages and the query window's answers.
    virtual void inform(const std::string& text) = 0;
    // The ErrorBox: the error icon.
    virtual void showError(const std::string& text) = 0;
};

// Whether a text reads right to left: its first letter (ignoring digits,
// blanks and punctuation) is Arabic or Hebrew.  Message boxes lay their text
// out in that direction.
bool ReadsRightToLeft(std::string_view utf8);

}  // namespace orvel
