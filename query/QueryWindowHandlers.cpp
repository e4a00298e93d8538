// The query window's handlers.
#include "query/QueryWindowHandlers.h"

#include "query/QueryRunner.h"

namespace orvel {

QueryWindowHandlers::QueryWindowHandlers(Database& connection, MessageBoxes& messages, QueryWindowView& view)
    : connection_(connection), messages_(messages), view_(view) {}

void QueryWindowHandlers::FormShow() {
    view_.setTypedText({});
    if (activateKeyboardLayout) activateKeyboardLayout();
    view_.focusTypedText();
}

void QueryWindowHandlers::BitBtn2Click() {
    messages_.inform(RunTypedStatement(connection_, view_.typedText()).message);
}

void QueryWindowHandlers::BitBtn1Click() { view_.closeWindow(); }

}  // namespace orvel
