// Writing, pruning, listing and finding the records of runs.
#include "upgrade/RunRecords.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <fstream>
#include <system_error>
#include <tuple>

#include <fmt/chrono.h>
#include <fmt/format.h>

#include "upgrade/Messages.h"
#include "upgrade/Platform.h"
#include "database/ConnectionText.h"
#include "database/Utf8Path.h"

namespace orvel {

namespace {

constexpr std::string_view kExtension = ".jsonl";
constexpr std::size_t kStampLength = 15;  // 20250114-093012

std::string databaseKindText(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::Access: return "Access";
        case DatabaseKind::SqlServer: return "SQL Server";
        case DatabaseKind::Oracle: return "Oracle";
    }
    return "";
}

std::string serverVersionText(ServerVersion version) {
    switch (version) {
        case ServerVersion::Sql2000: return "SQL 2000";
        case ServerVersion::Sql2005: return "SQL 2005";
        case ServerVersion::Sql2008: return "SQL 2008";
        case ServerVersion::Sql2012: return "SQL 2012";
    }
    return "";
}

nlohmann::ordered_json textOrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

// Seconds since 1970 of a broken-down time read as if it were UTC.
long long secondsOf(const std::tm& time) {
    using namespace std::chrono;
    const sys_days day = year{time.tm_year + 1900} / month{static_cast<unsigned>(time.tm_mon + 1)} /
                         std::chrono::day{static_cast<unsigned>(time.tm_mday)};
    return day.time_since_epoch().count() * 86400LL + time.tm_hour * 3600LL + time.tm_min * 60LL + time.tm_sec;
}

// The local time now: as a record's name begins (20250114-093012) and as its
// first line gives it (2025-01-14T09:30:12+03:30).
struct StartTime {
    std::string stamp;
    std::string text;
};

StartTime startTimeNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = fmt::localtime(now);
    const long long offset = secondsOf(local) - secondsOf(fmt::gmtime(now));
    const long long minutes = (offset < 0 ? -offset : offset) / 60;
    return {fmt::format("{:%Y%m%d-%H%M%S}", local),
            fmt::format("{:%Y-%m-%dT%H:%M:%S}{}{:02}:{:02}", local, offset < 0 ? '-' : '+', minutes / 60,
                        minutes % 60)};
}

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A record's id: the start stamp, the product and, for the query window,
// "query"; a second record of the same second and kind gets "-2", "-3", ...
bool isRecordId(std::string_view id) {
    return id.size() > kStampLength + 1 && isDigits(id.substr(0, 8)) && id[8] == '-' &&
           isDigits(id.substr(9, 6)) && id[kStampLength] == '-' &&
           id.find_first_of("/\\:") == std::string_view::npos;
}

std::optional<std::string> recordIdOf(const std::filesystem::path& file) {
    const std::string name = Utf8FromPath(file.filename());
    if (!name.ends_with(kExtension)) return std::nullopt;
    std::string id = name.substr(0, name.size() - kExtension.size());
    if (!isRecordId(id)) return std::nullopt;
    return id;
}

// Oldest first: by start second, then by the number that tells records of
// the same second apart.
auto orderOf(const std::string& id) {
    const std::size_t dash = id.rfind('-');
    const std::string_view tail = std::string_view(id).substr(dash + 1);
    const long number = dash > kStampLength && isDigits(tail) && tail.size() < 9 ? std::stol(std::string(tail)) : 1;
    return std::make_tuple(id.substr(0, kStampLength), number, id);
}

std::vector<std::string> recordIdsIn(const std::filesystem::path& folder) {
    std::vector<std::string> ids;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (auto id = recordIdOf(entry->path())) ids.push_back(std::move(*id));
    std::sort(ids.begin(), ids.end(), [](const auto& a, const auto& b) { return orderOf(a) < orderOf(b); });
    return ids;
}

std::string reasonOf(int error) { return std::error_code(error, std::generic_category()).message(); }

nlohmann::ordered_json headerLine(const RecordHeader& header, const std::string& program, const std::string& start) {
    const ConnectionTarget target = DescribeConnectionText(header.connectionText);
    nlohmann::ordered_json json;
    json["record"] = header.kind == RecordKind::Run ? "run" : "query";
    json["program"] = program;
    json["version"] = kProgramVersion;
    json["start"] = start;
    json["product"] = header.product.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(header.product);
    json.update(RunChoicesJson(header.options));
    json["connectionText"] = header.connectionGiven ? "given" : "built";
    json["server"] = textOrNull(target.server);
    json["catalog"] = textOrNull(target.catalog);
    if (target.file) json["file"] = *target.file;
    return json;
}

// A text field of a line; empty when the line has no such text (a record
// damaged by hand must not stop the listing of the others).
std::string textField(const nlohmann::json& line, const char* key) {
    const auto found = line.find(key);
    return found != line.end() && found->is_string() ? found->get<std::string>() : std::string();
}

RecordSummary readSummary(const std::filesystem::path& file, const std::string& id) {
    RecordSummary summary{id, "", "", "", "unfinished", "", 0};
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line)) return summary;
    const auto header = nlohmann::json::parse(line, nullptr, false);
    if (header.is_object()) {
        summary.start = textField(header, "start");
        summary.kind = textField(header, "record");
        summary.product = textField(header, "product");
    }
    while (std::getline(in, line)) {
        if (line.starts_with("{\"step\":")) {
            ++summary.statements;
            continue;
        }
        const auto result = nlohmann::json::parse(line, nullptr, false);
        if (!result.is_object() || !result.contains("result")) continue;
        summary.result = textField(result, "result");
        summary.stoppedIn = textField(result, "stoppedIn");
        if (const auto count = result.find("statements"); count != result.end() && count->is_number_unsigned())
            summary.statements = count->get<std::size_t>();
    }
    return summary;
}

}  // namespace

std::string LocalTimeNowText() { return startTimeNow().text; }

nlohmann::ordered_json RunChoicesJson(const RunOptions& options) {
    nlohmann::ordered_json json;
    json["databaseKind"] = databaseKindText(options.databaseKind);
    json["serverVersion"] = serverVersionText(options.serverVersion);
    json["local"] = options.local;
    json["web"] = options.web;
    return json;
}

RecordWriter::RecordWriter() = default;
RecordWriter::RecordWriter(RecordWriter&&) noexcept = default;
RecordWriter& RecordWriter::operator=(RecordWriter&&) noexcept = default;
RecordWriter::~RecordWriter() = default;

RecordWriter::RecordWriter(std::filesystem::path file, std::string id, std::string start,
                           std::unique_ptr<std::ofstream> out, RecordWarning warn)
    : file_(std::move(file)),
      id_(std::move(id)),
      start_(std::move(start)),
      out_(std::move(out)),
      warn_(std::move(warn)),
      started_(std::chrono::steady_clock::now()) {}

void RecordWriter::giveUp(const std::string& reason) noexcept {
    out_.reset();
    try {
        if (warn_)
            warn_("the record \"" + Utf8FromPath(file_) + "\" cannot be written (" + reason +
                  "); the run goes on without it");
    } catch (...) {
        // The warning is a courtesy; the run must not end for it.
    }
}

void RecordWriter::attempt(const std::function<void()>& work) noexcept {
    if (!out_) return;
    try {
        work();
    } catch (const std::exception& e) {
        giveUp(e.what());
    }
}

void RecordWriter::write(const nlohmann::ordered_json& line) {
    *out_ << JsonLine(line);
    out_->flush();
    if (!*out_) giveUp(reasonOf(errno));
}

void RecordWriter::note(const nlohmann::ordered_json& line) noexcept {
    attempt([&] { write(line); });
}

void RecordWriter::statement(const StatementRecord& record) noexcept {
    attempt([&] {
        ++statements_;
        write(ToLogJson(record));
    });
}

void RecordWriter::answered(const StatementRecord& record, const std::string& answer) noexcept {
    attempt([&] {
        ++statements_;
        nlohmann::ordered_json line = ToLogJson(record);
        line["answer"] = MaskPasswords(answer);
        write(line);
    });
}

void RecordWriter::note(const std::string& text) noexcept {
    attempt([&] { write({{"note", MaskPasswords(text)}}); });
}

void RecordWriter::finish(nlohmann::ordered_json result) {
    const std::chrono::duration<double> total = std::chrono::steady_clock::now() - started_;
    result["statements"] = statements_;
    result["seconds"] = std::round(total.count() * 1000.0) / 1000.0;
    write(result);
    out_.reset();
}

void RecordWriter::succeeded() noexcept {
    attempt([&] { finish({{"result", "success"}}); });
}

void RecordWriter::closed() noexcept {
    attempt([&] { finish({{"result", "closed"}}); });
}

void RecordWriter::failed(const std::exception& error, const std::string& stoppedIn) noexcept {
    attempt([&] {
        nlohmann::ordered_json result;
        result["result"] = "failed";
        result["stoppedIn"] = stoppedIn;
        result["errorClass"] = ErrorClassOf(error);
        result["message"] = MaskPasswords(error.what());
        finish(std::move(result));
    });
}

void RecordWriter::interrupted(const std::string& by, const std::string& stoppedIn,
                               const std::string& message) noexcept {
    attempt([&] {
        nlohmann::ordered_json result;
        result["result"] = "interrupted";
        result["stoppedIn"] = stoppedIn;
        result["by"] = by;
        result["message"] = MaskPasswords(message);
        finish(std::move(result));
    });
}

RunRecords::RunRecords(std::filesystem::path folder, std::string program, RecordWarning warn)
    : folder_(std::move(folder)), program_(std::move(program)), warn_(std::move(warn)) {}

void RunRecords::warn(const std::string& message) const noexcept {
    try {
        if (warn_) warn_(message);
    } catch (...) {
        // As in RecordWriter::giveUp: a warning never ends a run.
    }
}

RecordWriter RunRecords::start(const RecordHeader& header) const noexcept {
    if (folder_.empty()) {
        warn("no folder for records is known on this machine (no HOME or LOCALAPPDATA); the run goes on "
             "without a record");
        return {};
    }
    try {
        std::error_code error;
        std::filesystem::create_directories(folder_, error);
        if (error) {
            warn("the records folder \"" + Utf8FromPath(folder_) + "\" cannot be made (" + error.message() +
                 "); the run goes on without a record");
            return {};
        }
        const StartTime time = startTimeNow();
        std::string base = time.stamp;
        if (!header.product.empty()) base += "-" + header.product;
        if (header.kind == RecordKind::Query) base += "-query";
        if (base == time.stamp) base += "-run";
        // Records started in the same second, by this program or another at
        // once, are told apart by a number; each name is claimed by making
        // the file, so two runs never share one.
        std::string id = base;
        auto file = folder_ / PathFromUtf8(id + std::string(kExtension));
        for (int number = 2; !CreateNewFile(file, error); ++number) {
            if (error) {
                warn("the record \"" + Utf8FromPath(file) + "\" cannot be made (" + error.message() +
                     "); the run goes on without it");
                return {};
            }
            id = base + "-" + std::to_string(number);
            file = folder_ / PathFromUtf8(id + std::string(kExtension));
        }
        auto out = std::make_unique<std::ofstream>(file, std::ios::binary);
        if (!*out) {
            warn("the record \"" + Utf8FromPath(file) + "\" cannot be made (" + reasonOf(errno) +
                 "); the run goes on without it");
            return {};
        }
        RecordWriter writer(file, id, time.text, std::move(out), warn_);
        writer.attempt([&] { writer.write(headerLine(header, program_, time.text)); });
        removeOldest(file);
        return writer;
    } catch (const std::exception& e) {
        warn(std::string("a record cannot be started (") + e.what() + "); the run goes on without it");
        return {};
    }
}

void RunRecords::removeOldest(const std::filesystem::path& keep) const noexcept {
    try {
        const std::vector<std::string> ids = recordIdsIn(folder_);
        std::size_t unremoved = 0;
        std::string reason;
        for (std::size_t i = 0; i + kRecordsKept < ids.size(); ++i) {
            const auto file = folder_ / PathFromUtf8(ids[i] + std::string(kExtension));
            if (file == keep) continue;
            std::error_code error;
            if (std::filesystem::remove(file, error) || !error) continue;
            ++unremoved;
            reason = error.message();
        }
        if (unremoved > 0)
            warn(fmt::format("{} old records in \"{}\" cannot be removed ({})", unremoved, Utf8FromPath(folder_),
                             reason));
    } catch (const std::exception& e) {
        warn(std::string("old records cannot be removed (") + e.what() + ")");
    }
}

std::vector<RecordSummary> RunRecords::list() const {
    std::vector<RecordSummary> summaries;
    std::vector<std::string> ids = recordIdsIn(folder_);
    std::reverse(ids.begin(), ids.end());
    for (const auto& id : ids) summaries.push_back(readSummary(folder_ / PathFromUtf8(id + std::string(kExtension)), id));
    return summaries;
}

std::optional<std::filesystem::path> RunRecords::fileOf(const std::string& id) const {
    std::string stem = id;
    if (stem.ends_with(kExtension)) stem.resize(stem.size() - kExtension.size());
    if (!isRecordId(stem)) return std::nullopt;
    const auto file = folder_ / PathFromUtf8(stem + std::string(kExtension));
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    return file;
}

}  // namespace orvel
