// The connection options of the command line and the opening they lead to.
#include "cli/ConnectionOptions.h"

#include <CLI/CLI.hpp>

#include "app/Products.h"
#include "cli/Console.h"

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

void addProductOption(CLI::App& command, std::string& product, bool required) {
    auto* option = command.add_option("--product", product, "Product id (see `products`)");
    if (required) option->required();
}

std::vector<CLI::Option*> addConnectionOptions(CLI::App& command, ConnectionOptions& o, bool productRequired) {
    addProductOption(command, o.product, productRequired);
    auto* odbc = command.add_option("--odbc", o.odbc, "An ODBC connection string, used as it is");
    command.add_option("--kind", o.kind, "Database kind")
        ->check(CLI::IsMember({"sqlserver", "access", "oracle"}))
        ->capture_default_str();
    auto* version = command.add_option("--version", o.version, "SQL Server version choice")
                        ->check(CLI::IsMember({"2000", "2005", "2008", "2012"}))
                        ->capture_default_str()
                        ->excludes(odbc);
    auto* local = command.add_flag("--local", o.local, "The Local option (network-marketing product)")->excludes(odbc);
    command.add_flag("--web", o.web, "The Web option (insurance-office product)");
    auto* accessFile = command.add_option("--access-file", o.accessFile, "The .mdb file, as the file dialog would answer")
                           ->excludes(odbc);
    auto* settingsDir =
        command.add_option("--settings-dir", o.settingsDir,
                           "Where ServerName.txt and RemoteConnections.json are read (default: beside the program)");
    return {odbc, version, local, accessFile, settingsDir};
}

void requireProductOrOdbc(const ConnectionOptions& o) {
    if (o.odbc.empty() && o.product.empty()) throw CLI::RequiredError("--product or --odbc");
}

void requireKnownProduct(const std::string& product) {
    if (!product.empty() && !ProductById(product))
        throw UsageError("unknown product \"" + product + "\" (ids: Velora, Tamrix2, Pelsa, Brivo, Mornale, Kestin, Zorbex)");
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
    settings->clearRunAborted();
    settings->Button2Click(o.runOptions());
    settings->Button3Click(o.runOptions());
    if (settings->RunAborted()) {
        WriteStderr(abortReason(o) + "\n");
        return nullptr;
    }
    return settings;
}

std::optional<std::string> openDatabase(Database& db, const ConnectionOptions& o) {
    if (!o.odbc.empty()) {
        db.open(o.odbc);
        return o.odbc;
    }
    SettingsSystem system(o.settingsDir);
    GivenAccessFile dialog(o.accessFile);
    auto settings = buildSettings(o, system, dialog);
    if (!settings) return std::nullopt;
    db.open(settings->ConnectionText());
    return settings->ConnectionText();
}

}  // namespace orvel
