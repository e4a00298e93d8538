// The query window's handlers.
#include "query/QueryWindowHandlers.h"

namespace orvel {

QueryWindowHandlers::QueryWindowHandlers(QueryRunner& runner, MessageBoxes& messages, QueryWindowView& view)
    : runner_(runner), messages_(messages), view_(view) {}

void QueryWindowHandlers::FormShow() {
    view_.setTypedText({});
    if (activateKeyboardLayout) activateKeyboardLayout();
    view_.focusTypedText();
}

void QueryWindowHandlers::BitBtn2Click() {
    messages_.inform(runner_.run(view_.typedText()).message);
}

void QueryWindowHandlers::BitBtn1Click() { view_.closeWindow(); }

}  // namespace orvel
