// Translation of connection texts into ODBC connection strings.
//
// The text is read as ADO reads it: ";"-separated key=value pairs, keys
// compared ignoring case and surrounding blanks, values possibly quoted with
// "..." or '...' (a doubled quote stands for itself).  Known keys are renamed
// for the driver; keys this file does not know are passed on as they are, so
// a technician can add driver options (Port, TDS_Version, ...) to a text.
#include "database/OdbcConnectionString.h"

#include <algorithm>

#include "database/Database.h"
#include "database/NameMatching.h"

namespace orvel {

namespace {

constexpr const char* kErrorClass = "ConnectionTextError";
constexpr std::string_view kDriver18 = "ODBC Driver 18 for SQL Server";

// The drivers of one provider, in the order they are looked for.
struct DriverFamily {
    const char* kind;
    std::vector<const char*> known;
    const char* installHint;
    const char* variable;
};

const DriverFamily kSqlServerDrivers{
    "SQL Server",
    {"ODBC Driver 18 for SQL Server", "ODBC Driver 17 for SQL Server", "FreeTDS", "ODBC Driver 13 for SQL Server",
     "SQL Server Native Client 11.0", "SQL Server"},
    "\"ODBC Driver 18 for SQL Server\" (or 17; on Linux the FreeTDS driver, package tdsodbc, also serves)",
    kSqlServerDriverVariable,
};
const DriverFamily kAccessDrivers{
    "Access",
    {"Microsoft Access Driver (*.mdb, *.accdb)", "Microsoft Access Driver (*.mdb)", "MDBTools"},
    "\"Microsoft Access Driver (*.mdb, *.accdb)\" (the Microsoft Access Database Engine)",
    kAccessDriverVariable,
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) { return ContainsNameIgnoreCase(a, {std::string(b)}); }

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at)
        if (sameName(text.substr(at, part.size()), part)) return true;
    return false;
}

std::string braced(std::string_view value) {
    std::string result = "{";
    for (char c : value) {
        result += c;
        if (c == '}') result += '}';
    }
    return result + "}";
}

struct Pair {
    std::string key;  // trimmed, as written
    std::string value;
};

struct ParsedText {
    std::vector<Pair> pairs;
    std::string fault;  // the first part that could not be read; empty when none
};

// Reads the text as ADO does.  It never throws, so that an ODBC string
// (whose braced values ADO cannot read) can still be recognised by its keys.
ParsedText parse(std::string_view text) {
    ParsedText parsed;
    std::size_t i = 0;
    const auto noteFault = [&parsed](std::string_view part) {
        if (parsed.fault.empty()) parsed.fault = std::string(trimBlanks(part));
    };
    while (i < text.size()) {
        const std::size_t start = i;
        const std::size_t equals = text.find_first_of("=;", i);
        if (equals == std::string_view::npos || text[equals] == ';') {
            const std::size_t end = equals == std::string_view::npos ? text.size() : equals;
            if (!trimBlanks(text.substr(start, end - start)).empty()) noteFault(text.substr(start, end - start));
            i = end + 1;
            continue;
        }
        Pair pair{std::string(trimBlanks(text.substr(start, equals - start))), {}};
        i = equals + 1;
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
            const char quote = text[i];
            bool closed = false;
            for (++i; i < text.size(); ++i) {
                if (text[i] != quote) {
                    pair.value += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == quote) {
                    pair.value += quote;
                    ++i;
                } else {
                    closed = true;
                    ++i;
                    break;
                }
            }
            const std::size_t end = std::min(text.find(';', i), text.size());
            if (!closed || !trimBlanks(text.substr(i, end - i)).empty()) noteFault(text.substr(start, end - start));
            i = end + 1;
        } else {
            const std::size_t end = std::min(text.find(';', i), text.size());
            pair.value = std::string(trimBlanks(text.substr(i, end - i)));
            i = end + 1;
        }
        if (pair.key.empty())
            noteFault(text.substr(start, i - 1 - start));
        else
            parsed.pairs.push_back(std::move(pair));
    }
    return parsed;
}

// The pairs of the ODBC string being built; a key given twice keeps its
// first place and its last value, as ADO lets the last one win.
class OdbcPairs {
public:
    void set(std::string_view key, std::string value) {
        for (auto& pair : pairs_)
            if (sameName(pair.key, key)) {
                pair.value = std::move(value);
                return;
            }
        pairs_.push_back({std::string(key), std::move(value)});
    }
    bool has(std::string_view key) const {
        for (const auto& pair : pairs_)
            if (sameName(pair.key, key)) return true;
        return false;
    }
    std::string text() const {
        std::string result;
        for (const auto& pair : pairs_) {
            if (!result.empty()) result += ';';
            // Driver names are always braced: many hold blanks and parentheses.
            result += pair.key + "=" + (pair.key == "Driver" ? braced(pair.value) : OdbcValue(pair.value));
        }
        return result;
    }

private:
    std::vector<Pair> pairs_;
};

// An ADO key and the ODBC key it becomes; an empty ODBC key drops the pair.
struct KeyRename {
    const char* ado;
    const char* odbc;
};

constexpr KeyRename kSqlServerKeys[] = {
    {"Provider", ""},
    {"Persist Security Info", ""},
    {"Data Source", "Server"},
    {"Server", "Server"},
    {"Initial Catalog", "Database"},
    {"Database", "Database"},
    {"User ID", "UID"},
    {"UID", "UID"},
    {"Password", "PWD"},
    {"PWD", "PWD"},
    {"Integrated Security", "Trusted_Connection"},
    {"Trusted_Connection", "Trusted_Connection"},
    {"Use Encryption for Data", "Encrypt"},
    {"Encrypt", "Encrypt"},
    {"Trust Server Certificate", "TrustServerCertificate"},
    {"TrustServerCertificate", "TrustServerCertificate"},
};

constexpr KeyRename kAccessKeys[] = {
    {"Provider", ""},
    {"Persist Security Info", ""},
    {"Data Source", "DBQ"},
    {"DBQ", "DBQ"},
    {"Jet OLEDB:Database Password", "PWD"},
    {"PWD", "PWD"},
};

template <std::size_t N>
std::string_view renamed(std::string_view key, const KeyRename (&renames)[N]) {
    for (const auto& rename : renames)
        if (sameName(key, rename.ado)) return rename.odbc;
    return key;
}

bool isTrue(std::string_view value) {
    return sameName(value, "true") || sameName(value, "yes") || sameName(value, "sspi");
}

// The ODBC value of an ADO boolean (Integrated Security=SSPI, Use Encryption
// for Data=True); other values go to the driver as they are.
std::string yesNo(const std::string& value) {
    if (isTrue(value)) return "yes";
    if (sameName(value, "false") || sameName(value, "no")) return "no";
    return value;
}

// The driver the environment names, else the first of the family installed.
std::string chooseDriver(const std::optional<std::string>& chosen, const std::vector<std::string>& installed,
                         const DriverFamily& family) {
    if (chosen && !chosen->empty()) return *chosen;
    for (const char* name : family.known)
        for (const auto& driver : installed)
            if (sameName(driver, name)) return driver;
    throw DatabaseError(kErrorClass, std::string("No ") + family.kind + " ODBC driver is installed. Install " +
                                         family.installHint +
                                         ", or name an installed driver in the environment variable " +
                                         family.variable);
}

std::string sqlServerString(const std::vector<Pair>& pairs, const OdbcDriverPreferences& preferences) {
    const std::string driver =
        chooseDriver(preferences.sqlServerDriver, preferences.installedDrivers, kSqlServerDrivers);
    const bool freeTds = containsIgnoringCase(driver, "FreeTDS");
    OdbcPairs result;
    result.set("Driver", driver);
    result.set("Server", freeTds ? "localhost" : "(local)");  // the local default instance
    for (const auto& [key, value] : pairs) {
        const std::string_view odbcKey = renamed(key, kSqlServerKeys);
        if (odbcKey.empty()) continue;
        if (odbcKey == "Server" && value.empty()) continue;
        if (odbcKey == "Trusted_Connection") {
            if (isTrue(value)) result.set(odbcKey, "yes");
            continue;
        }
        result.set(odbcKey, odbcKey == "Encrypt" || odbcKey == "TrustServerCertificate" ? yesNo(value) : value);
    }
    // Driver 18 encrypts by default and validates the server's certificate,
    // which refuses every local SQL Express with its self-signed certificate.
    // The provider these texts were written for never encrypted, so the
    // connection keeps that unless the text asks for encryption itself.
    if (sameName(driver, kDriver18) && !result.has("Encrypt")) result.set("Encrypt", "Optional");
    return result.text();
}

std::string accessString(const std::vector<Pair>& pairs, const OdbcDriverPreferences& preferences) {
    const std::string driver = chooseDriver(preferences.accessDriver, preferences.installedDrivers, kAccessDrivers);
    OdbcPairs result;
    result.set("Driver", driver);
    for (const auto& [key, value] : pairs) {
        const std::string_view odbcKey = renamed(key, kAccessKeys);
        // The Access text is built from a fixed form and the chosen file's
        // path; any other key can only come from a path that holds ";".
        if (odbcKey == key && !sameName(key, "DBQ") && !sameName(key, "PWD"))
            throw DatabaseError(kErrorClass, "The Access connection text holds the unexpected part \"" + key +
                                                 "\": a file path holding \";\" cannot be opened; move or "
                                                 "rename the file");
        if (!odbcKey.empty()) result.set(odbcKey, value);
    }
    return result.text();
}

bool namesOdbcSource(std::string_view key) {
    return sameName(key, "Driver") || sameName(key, "DSN") || sameName(key, "FileDSN") || sameName(key, "SaveFile");
}

}  // namespace

std::string ToOdbcConnectionString(std::string_view connectionText, const OdbcDriverPreferences& preferences) {
    const ParsedText parsed = parse(connectionText);
    // A text with a provider is ADO style, whatever else it holds: a server
    // or file name that carries ";Driver=..." must not turn it into an ODBC
    // string that is used as it is.
    const bool hasProvider = std::any_of(parsed.pairs.begin(), parsed.pairs.end(),
                                         [](const Pair& pair) { return sameName(pair.key, "Provider"); });
    std::string provider = "SQLOLEDB.1";
    for (const auto& [key, value] : parsed.pairs) {
        if (!hasProvider && namesOdbcSource(key)) return std::string(connectionText);
        if (hasProvider && namesOdbcSource(key))
            throw DatabaseError(kErrorClass, "The connection text names a provider and also the ODBC key \"" + key +
                                                 "\"; a server name or file path holding \";\" may have split it");
        if (sameName(key, "Provider") && !value.empty()) provider = value;
    }
    if (!parsed.fault.empty())
        throw DatabaseError(kErrorClass, "The connection text cannot be read at \"" + parsed.fault +
                                             "\": every part must be key=value, separated by \";\"");
    if (sameName(provider, "SQLOLEDB.1") || sameName(provider, "SQLOLEDB"))
        return sqlServerString(parsed.pairs, preferences);
    if (sameName(provider, "Microsoft.Jet.OLEDB.4.0")) return accessString(parsed.pairs, preferences);
    throw DatabaseError(kErrorClass, "The connection text names the provider \"" + provider +
                                         "\", which has no ODBC counterpart here (known: SQLOLEDB.1, "
                                         "Microsoft.Jet.OLEDB.4.0)");
}

std::string OdbcValue(std::string_view value) {
    const bool needsBraces = value.find_first_of(";}") != std::string_view::npos ||
                        (!value.empty() && (value.front() == '{' || isBlank(value.front()) || isBlank(value.back())));
    return needsBraces ? braced(value) : std::string(value);
}

}  // namespace orvel
