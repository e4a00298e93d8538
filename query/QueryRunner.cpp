// Sending a typed statement and turning its result into the window's text.
#include "query/QueryRunner.h"

#include "app/Messages.h"

namespace orvel {

QueryOutcome RunTypedStatement(Database& db, const std::string& text) {
    try {
        db.execute(text);
        return {true, std::string(kQuerySucceededMessage)};
    } catch (const DatabaseError& e) {
        return {false, QueryErrorText(e.errorClass(), e.what())};
    } catch (const std::exception& e) {
        return {false, QueryErrorText("Error", e.what())};
    }
}

}  // namespace orvel
