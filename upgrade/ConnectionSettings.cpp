// Connection texts from the options, ServerName.txt and the remote
// connections file beside the program.
#include "upgrade/ConnectionSettings.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <nlohmann/json.hpp>

#include "products/Products.h"
#include "database/ConnectionText.h"
#include "database/Utf8Path.h"

namespace orvel {

std::string ReadFirstLine(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw SettingsError("Cannot read \"" + Utf8FromPath(file) + "\": it is not a readable file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw SettingsError("Cannot open \"" + Utf8FromPath(file) + "\" for reading");
    std::string line;
    for (char c; in.get(c) && c != '\r' && c != '\n';) line += c;
    if (in.bad()) throw SettingsError("Cannot read \"" + Utf8FromPath(file) + "\"");
    // An editor's UTF-8 byte order mark is an encoding marker, not a name.
    if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    return line;
}

namespace {

// The keys of each remote connection text, in the order the text needs them.
struct RemoteConnectionForm {
    const char* entry;
    std::vector<std::pair<const char*, const char*>> keys;  // {key, fixed value or nullptr}
    bool semicolonAfterLast;
};

const RemoteConnectionForm& remoteForm(const char* entry) {
    static const RemoteConnectionForm tamrix2Hosted{
        "Tamrix2Hosted",
        {{"Provider", "SQLOLEDB.1"}, {"Password", nullptr}, {"Persist Security Info", "True"},
         {"User ID", nullptr}, {"Initial Catalog", nullptr}, {"Data Source", nullptr}},
        false};
    static const RemoteConnectionForm veloraWeb{
        "VeloraWeb",
        {{"Data Source", nullptr}, {"Initial Catalog", nullptr}, {"User ID", nullptr}, {"Password", nullptr}},
        true};
    return std::string_view(entry) == tamrix2Hosted.entry ? tamrix2Hosted : veloraWeb;
}

}  // namespace

ConnectionSettings::ConnectionSettings(const SystemInfo& system, AccessFileDialog& fileDialog)
    : system_(system), fileDialog_(fileDialog) {}

std::string ConnectionSettings::serverName() const {
    const auto file = system_.programDirectory() / kServerNameFile;
    std::error_code error;
    if (std::filesystem::exists(file, error)) {
        std::string line = ReadFirstLine(file);
        if (!line.empty()) return line;
    }
    return computerName_ + "\\SQLEXPRESS";
}

void ConnectionSettings::Button2Click(const RunOptions& options) {
    productId_ = std::string(ProductIdForEntry(options.productEntry));
    computerName_ = system_.computerName();
    const std::string server = serverName();
    switch (options.serverVersion) {
        case ServerVersion::Sql2005:
        case ServerVersion::Sql2008:
            dataSourcePart_ = "Data Source=" + server;
            break;
        case ServerVersion::Sql2000:
        case ServerVersion::Sql2012:
            dataSourcePart_.clear();
            break;
    }
}

std::string ConnectionSettings::remoteConnectionText(const char* entry) const {
    const auto file = system_.programDirectory() / kRemoteConnectionsFile;
    const auto& form = remoteForm(entry);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw SettingsError("The remote connection settings file \"" + Utf8FromPath(file) +
                            "\" is missing: it must hold the \"" + entry +
                            "\" entry for this choice (see docs/connecting.md, remote connections)");
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const nlohmann::json::exception& e) {
        throw SettingsError("The remote connection settings file \"" + Utf8FromPath(file) +
                            "\" is not valid JSON: " + e.what());
    }
    if (!json.is_object() || !json.contains(entry) || !json[entry].is_object())
        throw SettingsError("The remote connection settings file \"" + Utf8FromPath(file) +
                            "\" has no \"" + entry + "\" entry");
    const auto& values = json[entry];
    std::string text;
    for (std::size_t i = 0; i < form.keys.size(); ++i) {
        const auto& [key, fixed] = form.keys[i];
        std::string value;
        if (fixed) {
            value = fixed;
        } else if (values.contains(key) && values[key].is_string()) {
            value = ConnectionTextValue(values[key].get<std::string>());
        } else {
            throw SettingsError("The \"" + std::string(entry) + "\" entry of \"" + Utf8FromPath(file) +
                                "\" lacks the text value \"" + key + "\"");
        }
        text += std::string(key) + "=" + value;
        if (i + 1 < form.keys.size() || form.semicolonAfterLast) text += ";";
    }
    return text;
}

void ConnectionSettings::Button3Click(const RunOptions& options) {
    switch (options.databaseKind) {
        case DatabaseKind::Access: {
            auto file = fileDialog_.chooseFile(kAccessFileFilter);
            if (!file) {
                runAborted_ = true;
                return;
            }
            accessFileName_ = *file;
            connectionText_ = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ConnectionTextValue(accessFileName_) +
                              ";Persist Security Info=False; Jet OLEDB:Database Password=" +
                              kAccessDatabasePassword;
            return;
        }
        case DatabaseKind::SqlServer:
            connectionText_ =
                "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=" +
                productId_ + ";" + dataSourcePart_;
            if (options.productEntry == 1 && options.local)
                connectionText_ =
                    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=tamrix2";
            else if (options.productEntry == 1)
                connectionText_ = remoteConnectionText("Tamrix2Hosted");
            if (options.productEntry == 0 && options.web) connectionText_ = remoteConnectionText("VeloraWeb");
            return;
        case DatabaseKind::Oracle:
            runAborted_ = true;
            return;
    }
}

bool ConnectionSettings::Prepare(const RunOptions& options) {
    clearRunAborted();
    Button2Click(options);
    Button3Click(options);
    return !runAborted_;
}

bool ConnectionSettings::Connect(Database& db, const RunOptions& options) {
    if (!Prepare(options)) return false;
    OpenConnection(db, connectionText_);
    return true;
}

void OpenConnection(Database& db, const std::string& connectionText) {
    if (db.isOpen()) db.close();
    db.open(connectionText);
}

}  // namespace orvel
