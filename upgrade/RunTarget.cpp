// Naming what a run changes, and refusing the server's own databases.
#include "upgrade/RunTarget.h"

#include <array>
#include <charconv>

#include <fmt/format.h>

#include "database/ConnectionText.h"
#include "database/NameMatching.h"
#include "products/Products.h"

namespace orvel {

namespace {

constexpr const char* kSqlServerProduct = "Microsoft SQL Server";

// The release of each major version of SQL Server (the first number of its
// version text); 10.50 is 2008 R2.
struct Release {
    int major;
    const char* name;
};
constexpr std::array kReleases{
    Release{8, "SQL Server 2000"},  Release{9, "SQL Server 2005"},  Release{10, "SQL Server 2008"},
    Release{11, "SQL Server 2012"}, Release{12, "SQL Server 2014"}, Release{13, "SQL Server 2016"},
    Release{14, "SQL Server 2017"}, Release{15, "SQL Server 2019"}, Release{16, "SQL Server 2022"},
    Release{17, "SQL Server 2025"},
};

nlohmann::ordered_json textOrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

std::string productLabel(const std::string& id) {
    const auto product = ProductById(id);
    return product ? fmt::format("{} ({})", id, product->plainName) : id;
}

}  // namespace

RunTarget DescribeRunTarget(const Database& opened, const std::string& productId, const std::string& connectionText) {
    const ConnectionTarget text = DescribeConnectionText(connectionText);
    RunTarget target{productId, text.server, text.catalog, text.file, opened.serverIdentity()};
    if (text.file) target.database.reset();
    else if (auto current = opened.currentDatabase()) target.database = std::move(current);
    return target;
}

std::string SqlServerRelease(std::string_view version) {
    int major = 0;
    const auto [end, error] = std::from_chars(version.data(), version.data() + version.size(), major);
    if (error != std::errc() || end == version.data()) return {};
    std::string release;
    for (const auto& r : kReleases)
        if (r.major == major) release = r.name;
    if (release.empty()) return {};
    if (major == 10 && version.substr(static_cast<std::size_t>(end - version.data())).starts_with(".50"))
        release += " R2";
    return release;
}

std::string RunTargetSentence(const RunTarget& target) {
    std::string where;
    if (target.file) {
        where = fmt::format("the Access file \"{}\"", *target.file);
    } else {
        where = target.database ? fmt::format("the database \"{}\"", *target.database)
                                : std::string("the login's default database");
        where += target.server ? fmt::format(" on the server \"{}\"", *target.server)
                               : std::string(" on this computer's default server");
    }
    std::string sentence = fmt::format("This run changes {} for the product {}", where, productLabel(target.product));
    if (target.identity) {
        const std::string release = target.identity->product == kSqlServerProduct
                                        ? SqlServerRelease(target.identity->version)
                                        : std::string();
        sentence += release.empty()
                        ? fmt::format("; the database is {} {}", target.identity->product, target.identity->version)
                        : fmt::format("; the server is {} ({})", release, target.identity->version);
    }
    return sentence + ".";
}

nlohmann::ordered_json RunTargetJson(const RunTarget& target) {
    nlohmann::ordered_json json;
    json["product"] = target.product;
    json["server"] = textOrNull(target.server);
    json["database"] = textOrNull(target.database);
    if (target.file) json["file"] = *target.file;
    json["dbms"] = target.identity ? nlohmann::ordered_json(target.identity->product) : nlohmann::ordered_json(nullptr);
    json["dbmsVersion"] =
        target.identity ? nlohmann::ordered_json(target.identity->version) : nlohmann::ordered_json(nullptr);
    const std::string release = target.identity && target.identity->product == kSqlServerProduct
                                    ? SqlServerRelease(target.identity->version)
                                    : std::string();
    json["sqlServer"] = release.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(release);
    return {{"target", json}};
}

bool IsSystemDatabase(std::string_view name) { return ContainsNameIgnoreCase(name, {"master", "model", "msdb", "tempdb"}); }

void RefuseSystemDatabase(const Database& opened, const std::string& connectionText) {
    const auto current = opened.currentDatabase();
    if (!current || !IsSystemDatabase(*current)) return;
    const bool named = DescribeConnectionText(connectionText).catalog.has_value();
    throw SystemDatabaseRefused(fmt::format(
        "{} \"{}\", one of the server's own databases and no product's: nothing was sent. Name the product's "
        "database in the connection (Database=NAME in an ODBC string, Initial Catalog=NAME in a connection text).",
        named ? "The connection names the database"
              : "The connection names no database, so it landed in the login's default database,",
        *current));
}

}  // namespace orvel
