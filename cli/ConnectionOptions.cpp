// The connection options of the command line and the opening they lead to.
#include "cli/ConnectionOptions.h"

#include <algorithm>

#include <CLI/CLI.hpp>

#include "database/NameMatching.h"
#include "products/Products.h"
#include "database/ConnectionText.h"

namespace orvel {

RunOptions ConnectionOptions::runOptions() const {
    RunOptions options;
    if (auto p = ProductById(product)) options.productEntry = p->entry;
    options.databaseKind = kind == "access"   ? DatabaseKind::Access
                           : kind == "oracle" ? DatabaseKind::Oracle
                                              : DatabaseKind::SqlServer;
    options.serverVersion = version == "2000"   ? ServerVersion::Sql2000
                            : version == "2005" ? ServerVersion::Sql2005
                            : version == "2012" ? ServerVersion::Sql2012
                                                : ServerVersion::Sql2008;
    options.local = local;
    options.web = web;
    return options;
}

bool ConnectionOptions::placeGiven() const {
    return std::any_of(placeOptions.begin(), placeOptions.end(),
                       [](const CLI::Option* option) { return option->count() > 0; });
}

void addProductOption(CLI::App& command, std::string& product, bool required) {
    auto* option = command.add_option("--product", product, "Product id (see `products`)");
    if (required) option->required();
}

std::vector<CLI::Option*> addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired) {
    addProductOption(command, o.product, productRequired);
    auto* odbc = command.add_option("--odbc", o.odbc,
                                    "An ODBC connection string, used as it is (visible to every user of the "
                                    "machine: prefer --odbc-file or ORVEL_ODBC)");
    auto* odbcFile = command.add_option("--odbc-file", o.odbcFile,
                                        "A file whose first line is the ODBC connection string (--odbc wins)");
    command.add_option("--kind", o.kind, "Database kind")
        ->check(CLI::IsMember({"sqlserver", "access", "oracle"}))
        ->capture_default_str();
    auto* version = command.add_option("--server-version", o.version, "The SQL Server version, as the window's choice")
                        ->check(CLI::IsMember({"2000", "2005", "2008", "2012"}))
                        ->capture_default_str()
                        ->excludes(odbc)
                        ->excludes(odbcFile);
    auto* local = command.add_flag("--local", o.local, "The Local option (network-marketing product)")
                      ->excludes(odbc)
                      ->excludes(odbcFile);
    command.add_flag("--web", o.web, "The Web option (insurance-office product)");
    auto* accessFile = command.add_option("--access-file", o.accessFile, "The .mdb file, as the file dialog would answer")
                           ->excludes(odbc)
                           ->excludes(odbcFile);
    auto* settingsDir =
        command.add_option("--settings-dir", o.settingsDir,
                           "Where ServerName.txt and RemoteConnections.json are read (default: beside the program)");
    o.placeOptions = {odbc, odbcFile, version, local, accessFile, settingsDir};
    o.accessFileOption = accessFile;
    return {odbc, odbcFile, version, local, accessFile, settingsDir};
}

void TakeGivenOdbc(ConnectionOptions& o) {
    if (!o.odbc.empty()) return;
    if (!o.odbcFile.empty()) {
        try {
            o.odbc = ReadFirstLine(PathFromUtf8(o.odbcFile));
        } catch (const SettingsError& e) {
            throw UsageError(std::string(e.what()) + " (--odbc-file)");
        }
        if (o.odbc.empty())
            throw UsageError("the first line of \"" + o.odbcFile + "\" is empty: it must hold the ODBC connection string");
        return;
    }
    if (o.placeGiven()) return;
    if (auto variable = EnvironmentText(kOdbcVariable)) {
        o.odbc = *variable;
        o.odbcFromEnvironment = !o.odbc.empty();
    }
}

void RefuseChoicesTheOdbcStringCannotServe(const ConnectionOptions& o) {
    const std::string advice = o.odbcFromEnvironment
                                   ? "unset ORVEL_ODBC to use the choices"
                                   : "leave out --kind access, or give a string that names the Access file";
    if (!o.odbc.empty() && o.kind == "oracle")
        throw UsageError("--kind oracle cannot be used with an ODBC string" +
                         std::string(o.odbcFromEnvironment ? " (ORVEL_ODBC is set)" : "") +
                         ": Oracle databases are not served");
    if (!o.odbc.empty() && o.kind == "access" && !DescribeConnectionText(o.odbc).file)
        throw UsageError("--kind access cannot be used with an ODBC string that names no Access file (DBQ=)" +
                         std::string(o.odbcFromEnvironment ? " (ORVEL_ODBC is set)" : "") + ": " + advice);
    const auto variable = EnvironmentText(kOdbcVariable);
    if (o.odbc.empty() && o.accessFileOption && o.accessFileOption->count() > 0 && variable && !variable->empty())
        throw UsageError("--access-file cannot be used while ORVEL_ODBC is set, which names another database: "
                         "unset ORVEL_ODBC to use the Access file");
}

void requireProductOrOdbc(const ConnectionOptions& o) {
    if (o.odbc.empty() && o.product.empty())
        throw UsageError(std::string("--product or --odbc is required (or --odbc-file, or the environment variable ") +
                         kOdbcVariable + ")");
}

std::string KnownProduct(const std::string& product) {
    if (product.empty()) return product;
    std::string ids;
    for (const auto& known : Products()) {
        if (EqualIgnoringAsciiCase(known.id, product)) return std::string(known.id);
        ids += (ids.empty() ? "" : ", ") + std::string(known.id);
    }
    throw UsageError("unknown product \"" + product + "\" (ids: " + ids + ")");
}

std::optional<std::string> GivenAccessFile::chooseFile(const std::string&) {
    if (file_.empty()) return std::nullopt;
    return Utf8FromPath(std::filesystem::absolute(PathFromUtf8(file_)));
}

std::string abortReason(const ConnectionOptions& o) {
    if (o.kind == "oracle") return "Oracle databases are not served: nothing was opened";
    return "Access was chosen without --access-file: nothing was opened";
}

std::unique_ptr<ConnectionSettings> buildSettings(const ConnectionOptions& o, SettingsSystem& system,
                                                  GivenAccessFile& dialog) {
    auto settings = std::make_unique<ConnectionSettings>(system, dialog);
    if (!settings->Prepare(o.runOptions())) throw AbortedError(abortReason(o));
    return settings;
}

void ConnectAsOptionsSay(const ConnectionOptions& o, Activity& activity,
                         const std::function<void(const std::string& odbc)>& given,
                         const std::function<bool(ConnectionSettings& settings)>& fromChoices) {
    activity.doing = "connecting";
    if (!o.odbc.empty()) {
        activity.at(o.odbc);
        given(o.odbc);
        return;
    }
    SettingsSystem system(o.settingsDir);
    GivenAccessFile dialog(o.accessFile);
    ConnectionSettings settings(system, dialog);
    bool connected = false;
    try {
        connected = fromChoices(settings);
    } catch (...) {
        activity.at(settings.ConnectionText());
        throw;
    }
    activity.at(settings.ConnectionText());
    if (!connected) throw AbortedError(abortReason(o));
}

void openDatabase(Database& db, const ConnectionOptions& o, Activity& activity) {
    ConnectAsOptionsSay(
        o, activity, [&db](const std::string& odbc) { db.open(odbc); },
        [&db, &o](ConnectionSettings& settings) { return settings.Connect(db, o.runOptions()); });
}

}  // namespace orvel
