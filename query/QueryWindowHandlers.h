// What the query window TFQuery does, whatever draws it: empty the text and
// switch the keyboard to the United States layout each time it is shown, run
// the typed text and answer with a message box, close on its exit button.
//
// A front-end draws the window from QueryWindowTable(), implements
// QueryWindowView over its controls and calls these handlers.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "upgrade/MessageBoxes.h"
#include "upgrade/Platform.h"
#include "query/QueryRunner.h"

namespace orvel {

class QueryWindowView {
public:
    virtual ~QueryWindowView() = default;
    // The whole text of Memo1, every line with its line break, untrimmed.
    virtual std::string typedText() const = 0;
    virtual void setTypedText(std::string_view text) = 0;
    virtual void focusTypedText() = 0;
    virtual void closeWindow() = 0;
};

class QueryWindowHandlers {
public:
    // `runner` is the main window's: it holds the connection and the record
    // of the current opening.
    QueryWindowHandlers(QueryRunner& runner, MessageBoxes& messages, QueryWindowView& view);

    void FormShow();      // each time the window is shown
    void BitBtn2Click();  // run the text
    void BitBtn1Click();  // exit

    // Called by FormShow; tests replace it to see the call.
    std::function<void()> activateKeyboardLayout = ActivateUsKeyboardLayout;

private:
    QueryRunner& runner_;
    MessageBoxes& messages_;
    QueryWindowView& view_;
};

}  // namespace orvel
