// The run's line of an `upgrade --log` file, and the file opened to append.
#include "cli/UpgradeLog.h"

#include "cli/ConnectionOptions.h"
#include "database/ConnectionText.h"
#include "database/Utf8Path.h"

namespace orvel {

namespace {

nlohmann::ordered_json textOrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json emptyAsNull(const std::string& text) {
    return text.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(text);
}

}  // namespace

nlohmann::ordered_json RunLogLine(const RecordWriter& record, const RecordHeader& header,
                                  const UpgradeLogOptions& options) {
    const ConnectionTarget target = DescribeConnectionText(header.connectionText);
    nlohmann::ordered_json choices = RunChoicesJson(header.options);
    choices["connectionText"] = header.connectionGiven ? "given" : "built";
    choices["catalogueReads"] = options.catalogueReads;
    choices["checkFirst"] = options.checkFirst;
    choices["safetyCopy"] = options.safetyCopy ? nlohmann::ordered_json(*options.safetyCopy)
                                               : nlohmann::ordered_json(false);
    choices["wholeSteps"] = options.wholeSteps;

    nlohmann::ordered_json run;
    run["record"] = emptyAsNull(record.id());
    run["start"] = record.start().empty() ? LocalTimeNowText() : record.start();
    run["product"] = emptyAsNull(header.product);
    run["server"] = textOrNull(target.server);
    run["database"] = textOrNull(target.catalog);
    if (target.file) run["file"] = *target.file;
    run["options"] = std::move(choices);
    return {{"run", std::move(run)}};
}

std::ofstream OpenUpgradeLog(const std::string& file) {
    std::ofstream out(PathFromUtf8(file), std::ios::binary | std::ios::app);
    if (!out) throw UsageError("cannot write the log file \"" + file + "\"");
    return out;
}

}  // namespace orvel
