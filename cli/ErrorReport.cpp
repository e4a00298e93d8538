// Writing errors in the one shape.
#include "cli/ErrorReport.h"

#include "cli/Console.h"
#include "database/ConnectionText.h"

namespace orvel {

void Activity::at(std::string_view connectionText) {
    if (std::string where = PlaceOf(connectionText); !where.empty()) place = std::move(where);
}

std::string PlaceOf(std::string_view connectionText) {
    const ConnectionTarget target = DescribeConnectionText(connectionText);
    if (target.file) return *target.file;
    if (target.server) return *target.server + "/" + target.catalog.value_or("(default database)");
    return target.catalog.value_or("");
}

std::string ErrorLine(const Activity& activity, std::string_view message) {
    std::string line = std::string(kProgramName) + ": error: ";
    if (!activity.doing.empty()) {
        line += activity.doing;
        if (!activity.place.empty()) line += " (" + activity.place + ")";
        line += ": ";
    }
    std::string text = MaskPasswords(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    // Line breaks of any kind (a statement's are a lone carriage return) as
    // line feeds.
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') lines += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n') lines += '\n';
    }
    return line + lines + "\n";
}

int ReportError(const std::exception& error, const Activity& activity) {
    if (dynamic_cast<const UsageError*>(&error)) {
        WriteStderr(ErrorLine({}, error.what()));
        return kUsage;
    }
    WriteStderr(ErrorLine(activity, error.what()));
    return dynamic_cast<const AbortedError*>(&error) ? kAborted : kFailed;
}

}  // namespace orvel
