// Keeping, listing and printing the records of runs on the command line.
#include "cli/Records.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "upgrade/Platform.h"
#include "cli/ConnectionOptions.h"
#include "cli/Console.h"
#include "database/Utf8Path.h"

namespace orvel {

namespace {

// "2025-01-14T09:30:12+03:30" as "2025-01-14 09:30:12".
std::string shownTime(const std::string& start) {
    if (start.size() < 19) return start;
    std::string time = start.substr(0, 19);
    time[10] = ' ';
    return time;
}

}  // namespace

RunRecords CommandLineRecords() {
    return RunRecords(UserRecordsFolder(), "orvel-updater-cli",
                      [](const std::string& message) { WriteStderr("orvel-updater-cli: warning: " + message + "\n"); });
}

std::string FormatRecordList(const std::vector<RecordSummary>& summaries) {
    struct Row {
        std::string id, time, product, kind, result, statements, stoppedIn;
    };
    std::vector<Row> rows{{"id", "time", "product", "kind", "result", "statements", "stopped in"}};
    for (const auto& s : summaries)
        rows.push_back({s.id, shownTime(s.start), s.product.empty() ? "-" : s.product, s.kind, s.result,
                        std::to_string(s.statements), s.stoppedIn});
    std::size_t id = 0, time = 0, product = 0, kind = 0, result = 0, statements = 0;
    for (const auto& r : rows) {
        id = std::max(id, r.id.size());
        time = std::max(time, r.time.size());
        product = std::max(product, r.product.size());
        kind = std::max(kind, r.kind.size());
        result = std::max(result, r.result.size());
        statements = std::max(statements, r.statements.size());
    }
    std::string out;
    for (const auto& r : rows) {
        std::string line = fmt::format("{:<{}}  {:<{}}  {:<{}}  {:<{}}  {:<{}}  {:>{}}  {}", r.id, id, r.time, time,
                                       r.product, product, r.kind, kind, r.result, result, r.statements, statements,
                                       r.stoppedIn);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string FormatRecordListJson(const std::vector<RecordSummary>& summaries, const RunRecords& records) {
    using Json = nlohmann::ordered_json;
    const auto textOrNull = [](const std::string& text) { return text.empty() ? Json() : Json(text); };
    Json list = Json::array();
    for (const auto& s : summaries) {
        const auto file = records.fileOf(s.id);
        list.push_back({{"id", s.id},
                        {"start", s.start},
                        {"product", textOrNull(s.product)},
                        {"kind", s.kind},
                        {"result", s.result},
                        {"statements", s.statements},
                        {"stoppedIn", textOrNull(s.stoppedIn)},
                        {"file", file ? Json(Utf8FromPath(*file)) : Json()}});
    }
    return list.dump(2) + "\n";
}

int commandRecordsList(const RunRecords& records, std::size_t count, const std::string& format) {
    std::vector<RecordSummary> summaries = records.list();
    if (count > 0 && summaries.size() > count) summaries.resize(count);
    if (format == "json") {
        WriteStdout(FormatRecordListJson(summaries, records));
        return kSuccess;
    }
    if (summaries.empty()) {
        WriteStdout("No records yet in " + Utf8FromPath(records.folder()) + "\n");
        return kSuccess;
    }
    WriteStdout("Records in " + Utf8FromPath(records.folder()) + ", newest first:\n\n" +
                FormatRecordList(summaries));
    return kSuccess;
}

int commandRecordsShow(const RunRecords& records, const std::string& id) {
    const auto file = records.fileOf(id);
    if (!file)
        throw UsageError("no record \"" + id + "\" in " + Utf8FromPath(records.folder()) +
                         " (`records` lists the ids)");
    std::ifstream in(*file, std::ios::binary);
    if (!in) throw UsageError("cannot read \"" + Utf8FromPath(*file) + "\"");
    WriteStdout(std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    return kSuccess;
}

}  // namespace orvel
