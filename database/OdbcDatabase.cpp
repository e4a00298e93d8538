// The ODBC adapter: the only code of the program that calls the ODBC API.
//
// Each handle (environment, connection, statement) has one owner that frees
// it.  Every call goes through the wide (W) entry points; text is UTF-8 in
// the program and UTF-16 at the API, converted here and nowhere else.  Every
// failure the driver reports becomes a DatabaseError of class "OdbcError"
// carrying the driver's diagnostic records.
#include "database/OdbcDatabase.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <utility>

#ifdef _WIN32
#  ifndef NOMINMAX
#    define NOMINMAX
#  endif
#  include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include "database/NamedParameters.h"
#include "database/NameMatching.h"

namespace orvel {

namespace {

static_assert(sizeof(SQLWCHAR) == 2, "the adapter expects UTF-16 SQLWCHAR (Windows, unixODBC)");
// The driver manager's lengths and counts are as wide as a pointer (4 bytes
// in 32-bit programs, 8 in 64-bit ones); ODBC headers configured for another
// processor would have it write past them.
static_assert(sizeof(SQLLEN) == sizeof(void*) && sizeof(SQLULEN) == sizeof(void*),
              "the ODBC headers do not match this processor's SQLLEN");

constexpr const char* kErrorClass = "OdbcError";

// The longest nvarchar(n), in UTF-16 units.
constexpr std::size_t kLongestWideVarchar = 4000;

// ---- UTF-8 <-> UTF-16 ------------------------------------------------------

// A UTF-16 text for the API, always followed by a NUL unit that length()
// does not count.
class WideText {
public:
    explicit WideText(std::string_view utf8);
    SQLWCHAR* data() { return units_.data(); }
    std::size_t length() const { return units_.size() - 1; }

private:
    std::vector<SQLWCHAR> units_;
};

WideText::WideText(std::string_view utf8) {
    units_.reserve(utf8.size() + 1);
    std::size_t i = 0;
    const auto invalid = [&i] {
        return DatabaseError("TextEncodingError", "The text is not valid UTF-8 (at byte " + std::to_string(i) +
                                                      ") and cannot be sent to the database");
    };
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size())
            throw invalid();
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) throw invalid();
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) throw invalid();
        if (code >= 0x10000) {
            code -= 0x10000;
            units_.push_back(static_cast<SQLWCHAR>(0xD800 + (code >> 10)));
            units_.push_back(static_cast<SQLWCHAR>(0xDC00 + (code & 0x3FF)));
        } else {
            units_.push_back(static_cast<SQLWCHAR>(code));
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    units_.push_back(0);
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// What the driver answers (names, messages); a lone surrogate becomes U+FFFD.
std::string toUtf8(const SQLWCHAR* units, std::size_t length) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        char32_t code = units[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        appendUtf8(out, code);
    }
    return out;
}

// ---- diagnostics -----------------------------------------------------------

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

struct Diagnostic {
    std::string sqlState;
    long nativeCode = 0;
    std::string message;
};

// Every diagnostic record the handle holds now, in order.
std::vector<Diagnostic> diagnosticsOf(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<Diagnostic> diagnostics;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(512);
        SQLSMALLINT textLength = 0;
        SQLRETURN got = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                       static_cast<SQLSMALLINT>(text.size()), &textLength);
        if (succeeded(got) && textLength >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(static_cast<std::size_t>(textLength) + 1);
            got = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                 static_cast<SQLSMALLINT>(text.size()), &textLength);
        }
        if (!succeeded(got)) break;
        diagnostics.push_back({toUtf8(state, 5), native,
                               toUtf8(text.data(), std::min<std::size_t>(static_cast<std::size_t>(textLength),
                                                                         text.size() - 1))});
    }
    return diagnostics;
}

// Every diagnostic record of the handle as one error: the messages joined by
// line feeds, the SQLSTATE and native code of the first record.
[[noreturn]] void throwDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc, const char* call) {
    std::string message, sqlState;
    long nativeCode = 0;
    const std::vector<Diagnostic> diagnostics = diagnosticsOf(handleType, handle);
    if (!diagnostics.empty()) {
        sqlState = diagnostics.front().sqlState;
        nativeCode = diagnostics.front().nativeCode;
    }
    for (std::size_t i = 0; i < diagnostics.size(); ++i) message += (i > 0 ? "\n" : "") + diagnostics[i].message;
    if (message.empty())
        message = std::string(call) + " failed (return code " + std::to_string(rc) +
                  ") and the driver gave no diagnostic record";
    throw DatabaseError(kErrorClass, message, sqlState, nativeCode);
}

void checkCall(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call) {
    if (!succeeded(rc)) throwDiagnostics(handleType, handle, rc, call);
}

// ---- handle owners ---------------------------------------------------------

// Owns one handle of type `Type`, allocated under its parent and freed with
// the owner; the driver's diagnostics of a failed call on it become the error.
template <SQLSMALLINT Type>
class Handle {
public:
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE get() const { return handle_; }
    void check(SQLRETURN rc, const char* call) const { checkCall(rc, Type, handle_, call); }

protected:
    Handle(SQLSMALLINT parentType, SQLHANDLE parent) {
        const SQLRETURN rc = SQLAllocHandle(Type, parent, &handle_);
        if (succeeded(rc)) return;
        if (parent == SQL_NULL_HANDLE)
            throw DatabaseError(kErrorClass, "The ODBC driver manager could not allocate an environment");
        checkCall(rc, parentType, parent, "SQLAllocHandle");
    }
    ~Handle() { SQLFreeHandle(Type, handle_); }

private:
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

class Environment : public Handle<SQL_HANDLE_ENV> {
public:
    Environment() : Handle(SQL_HANDLE_ENV, SQL_NULL_HANDLE) {
        check(SQLSetEnvAttr(get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              "SQLSetEnvAttr");
    }
};

class Connection : public Handle<SQL_HANDLE_DBC> {
public:
    explicit Connection(const Environment& environment) : Handle(SQL_HANDLE_ENV, environment.get()) {}
    ~Connection() {
        if (connected_) SQLDisconnect(get());
    }

    void connect(const std::string& connectionString) {
        WideText text(connectionString);
        SQLSMALLINT completedLength = 0;
        check(SQLDriverConnectW(get(), nullptr, text.data(), static_cast<SQLSMALLINT>(text.length()), nullptr, 0,
                                &completedLength, SQL_DRIVER_NOPROMPT),
              "SQLDriverConnectW");
        connected_ = true;
    }

private:
    bool connected_ = false;
};

// The statement under way on a connection, so that another thread can
// cancel it; the lock keeps its handle from being freed during SQLCancel.
class StatementInFlight {
public:
    void set(SQLHSTMT handle) noexcept {
        const std::lock_guard lock(mutex_);
        handle_ = handle;
    }
    void cancel() noexcept {
        const std::lock_guard lock(mutex_);
        // An answer that has already come is not undone: the driver then
        // reports nothing to cancel, which changes nothing.
        if (handle_ != SQL_NULL_HANDLE) SQLCancel(handle_);
    }

private:
    std::mutex mutex_;
    SQLHSTMT handle_ = SQL_NULL_HANDLE;
};

class Statement : public Handle<SQL_HANDLE_STMT> {
public:
    Statement(const Connection& connection, StatementInFlight& inFlight)
        : Handle(SQL_HANDLE_DBC, connection.get()), inFlight_(inFlight) {
        inFlight_.set(get());
    }
    ~Statement() { inFlight_.set(SQL_NULL_HANDLE); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Executes and drains every result, so that an error of a later
    // statement of a batch is raised.  SQL_NO_DATA is success: some drivers
    // answer statements that return no rows with it.
    void executeAndDrain(WideText& sql) {
        SQLRETURN rc = SQLExecDirectW(get(), sql.data(), static_cast<SQLINTEGER>(sql.length()));
        if (rc != SQL_NO_DATA) check(rc, "SQLExecDirectW");
        while ((rc = SQLMoreResults(get())) != SQL_NO_DATA) check(rc, "SQLMoreResults");
    }

    // Executes a statement text and hands on each of its results: the rows
    // of a result with columns, else the count of rows changed when the
    // driver knows it, with the informational diagnostics (the server's
    // messages) that came with it; messages that came while the rows were
    // read, or after the last result, follow as answers of their own.  As in
    // executeAndDrain, SQL_NO_DATA is an answer without rows, and an error of
    // a later statement is raised.
    void executeAnswering(WideText& sql, const AnswerReceiver& answered) {
        const auto handOn = [&answered](StatementAnswer answer) {
            if (answer.rows || answer.rowsAffected || !answer.messages.empty()) answered(std::move(answer));
        };
        SQLRETURN rc = SQLExecDirectW(get(), sql.data(), static_cast<SQLINTEGER>(sql.length()));
        for (const char* call = "SQLExecDirectW";; call = "SQLMoreResults") {
            if (rc != SQL_NO_DATA) check(rc, call);
            StatementAnswer answer;
            answer.messages = messages();
            StatementAnswer later;
            SQLSMALLINT count = 0;
            if (rc != SQL_NO_DATA) check(SQLNumResultCols(get(), &count), "SQLNumResultCols");
            if (count > 0) {
                answer.rows = currentResult(static_cast<SQLUSMALLINT>(count));
                later.messages = messages();  // of the fetch that found no more rows
            } else if (SQLLEN changed = -1; succeeded(SQLRowCount(get(), &changed)) && changed >= 0) {
                answer.rowsAffected = changed;
            }
            handOn(std::move(answer));
            handOn(std::move(later));
            if ((rc = SQLMoreResults(get())) == SQL_NO_DATA) {
                handOn({std::nullopt, std::nullopt, messages()});
                break;
            }
        }
    }

    // The messages of the diagnostic records the last call left.
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (auto& diagnostic : diagnosticsOf(SQL_HANDLE_STMT, get())) texts.push_back(std::move(diagnostic.message));
        return texts;
    }

    // Executes a read and collects every result set that has columns, in
    // order.  As in executeAndDrain, SQL_NO_DATA from the execution may be
    // followed by further results (a batch that starts with a declaration).
    std::vector<ResultSet> readAll(WideText& sql) {
        SQLRETURN rc = SQLExecDirectW(get(), sql.data(), static_cast<SQLINTEGER>(sql.length()));
        std::vector<ResultSet> results;
        const char* call = "SQLExecDirectW";
        for (bool current = rc != SQL_NO_DATA;; current = true, call = "SQLMoreResults") {
            if (current) {
                check(rc, call);
                SQLSMALLINT count = 0;
                check(SQLNumResultCols(get(), &count), "SQLNumResultCols");
                if (count > 0) results.push_back(currentResult(static_cast<SQLUSMALLINT>(count)));
            }
            if ((rc = SQLMoreResults(get())) == SQL_NO_DATA) break;
        }
        return results;
    }

    ResultSet currentResult(SQLUSMALLINT columns) const {
        ResultSet result;
        for (SQLUSMALLINT column = 1; column <= columns; ++column) result.columns.push_back(columnName(column));
        while (fetch()) {
            ResultSet::Row& row = result.rows.emplace_back();
            for (SQLUSMALLINT column = 1; column <= columns; ++column) row.push_back(text(column));
        }
        return result;
    }

    std::string columnName(SQLUSMALLINT column) const {
        SQLWCHAR name[256];
        SQLSMALLINT length = 0;
        check(SQLColAttributeW(get(), column, SQL_DESC_LABEL, name, sizeof name, &length, nullptr),
              "SQLColAttributeW");
        return toUtf8(name, std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR),
                                                  std::size(name) - 1));
    }

    bool fetch() const {
        const SQLRETURN rc = SQLFetch(get());
        if (rc == SQL_NO_DATA) return false;
        check(rc, "SQLFetch");
        return true;
    }

    // The text of a column of the current row; nothing when it is NULL.
    std::optional<std::string> text(SQLUSMALLINT column) const {
        std::vector<SQLWCHAR> all;
        SQLWCHAR buffer[256];
        for (;;) {
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA) break;
            check(rc, "SQLGetData");
            if (indicator == SQL_NULL_DATA) return std::nullopt;
            const std::size_t capacity = std::size(buffer) - 1;
            const std::size_t units = indicator == SQL_NO_TOTAL || indicator < 0
                                          ? capacity
                                          : std::min(capacity, static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR));
            all.insert(all.end(), buffer, buffer + units);
            if (rc == SQL_SUCCESS) break;
        }
        return toUtf8(all.data(), all.size());
    }

private:
    StatementInFlight& inFlight_;
};

// The connection the catalogue is read through; the statement paths are
// refused when closed before they get here.
const Connection& openConnection(const std::optional<Connection>& connection) {
    if (!connection)
        throw DatabaseError("ConnectionError", "The connection is closed; open it before reading its catalogue");
    return *connection;
}

// A text the driver tells about the connection; empty when it does not.
std::string infoText(const Connection& connection, SQLUSMALLINT info) {
    SQLWCHAR text[256] = {};
    SQLSMALLINT length = 0;
    if (!succeeded(SQLGetInfoW(connection.get(), info, text, sizeof text, &length))) return {};
    return toUtf8(text, std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR), std::size(text) - 1));
}

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

}  // namespace

struct OdbcDatabase::Handles {
    Environment environment;
    StatementInFlight inFlight;
    std::optional<Connection> connection;
    // The driver's escape for "_" and "%" in catalogue search patterns;
    // empty when it has none.
    std::string searchEscape;
    ServerIdentity identity;
};

OdbcDatabase::OdbcDatabase() : handles_(std::make_unique<Handles>()) {}
OdbcDatabase::~OdbcDatabase() = default;

void OdbcDatabase::open(const std::string& connectionText) {
    close();
    const std::string connectionString = ToOdbcConnectionString(connectionText, DriverPreferences());
    auto& connection = handles_->connection.emplace(handles_->environment);
    try {
        connection.connect(connectionString);
    } catch (...) {
        handles_->connection.reset();
        throw;
    }
    handles_->searchEscape = infoText(connection, SQL_SEARCH_PATTERN_ESCAPE);
    handles_->identity = {infoText(connection, SQL_DBMS_NAME), infoText(connection, SQL_DBMS_VER)};
}

std::optional<ServerIdentity> OdbcDatabase::serverIdentity() const {
    if (!isOpen()) return std::nullopt;
    return handles_->identity;
}

std::optional<std::string> OdbcDatabase::currentDatabase() const {
    if (!isOpen()) return std::nullopt;
    SQLWCHAR name[256] = {};
    SQLINTEGER length = 0;
    if (!succeeded(SQLGetConnectAttrW(handles_->connection->get(), SQL_ATTR_CURRENT_CATALOG, name,
                                      static_cast<SQLINTEGER>(sizeof name), &length)) ||
        length <= 0)
        return std::nullopt;
    return toUtf8(name, std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR), std::size(name) - 1));
}

std::unique_ptr<Database> OdbcDatabase::newSession() const { return std::make_unique<OdbcDatabase>(); }

void OdbcDatabase::cancel() noexcept { handles_->inFlight.cancel(); }

void OdbcDatabase::close() { handles_->connection.reset(); }

bool OdbcDatabase::isOpen() const { return handles_->connection.has_value(); }

std::optional<std::vector<ListedObject>> OdbcDatabase::listedObjects() {
    Statement statement(openConnection(handles_->connection), handles_->inFlight);
    // No blank after the comma: some drivers then drop the views.
    WideText types("TABLE,VIEW");
    statement.check(SQLTablesW(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, types.data(),
                               static_cast<SQLSMALLINT>(types.length())),
                    "SQLTablesW");
    std::vector<ListedObject> objects;
    while (statement.fetch()) {
        const auto type = statement.text(4);
        if (!type || !(ContainsNameIgnoreCase(*type, {"TABLE", "VIEW"}))) continue;
        const ObjectKind kind = EqualIgnoringAsciiCase(*type, "VIEW") ? ObjectKind::View : ObjectKind::Table;
        auto schema = statement.text(2);
        if (schema && schema->empty()) schema.reset();
        if (auto name = statement.text(3)) objects.push_back({std::move(*name), kind, std::move(schema)});
    }
    return objects;
}

CatalogueListing OdbcDatabase::readCatalogue() {
    std::vector<ListedObject> objects = *listedObjects();
    std::unordered_map<std::string, int> timesListed;  // by folded name
    for (const auto& object : objects) ++timesListed[FoldAsciiCase(object.name)];

    // Every column of every table in one call: "%" matches any name.
    struct Rows {
        std::vector<std::string> columns;
        std::vector<std::optional<std::string>> schemas;
    };
    std::unordered_map<std::string, Rows> rowsOf;  // by folded name
    bool everyColumnRead = true;
    try {
        Statement statement(openConnection(handles_->connection), handles_->inFlight);
        WideText everyName("%");
        statement.check(SQLColumnsW(statement.get(), nullptr, 0, nullptr, 0, everyName.data(),
                                    static_cast<SQLSMALLINT>(everyName.length()), nullptr, 0),
                        "SQLColumnsW");
        while (statement.fetch()) {
            const auto table = statement.text(3);
            auto column = statement.text(4);
            if (!table || !column || !timesListed.contains(FoldAsciiCase(*table))) continue;
            auto schema = statement.text(2);
            if (schema && schema->empty()) schema.reset();
            Rows& rows = rowsOf[FoldAsciiCase(*table)];
            if (std::find(rows.schemas.begin(), rows.schemas.end(), schema) == rows.schemas.end())
                rows.schemas.push_back(std::move(schema));
            rows.columns.push_back(std::move(*column));
        }
    } catch (const DatabaseError&) {
        everyColumnRead = false;  // a driver that takes no pattern here
    }

    // A name is asked alone, as columnNames() asks: when the one call failed
    // or gave nothing for it (a driver that does not return everything), and
    // when it is listed more than once or its columns come from several
    // schemas, for then the server's rules of which schema a name means may
    // answer that name differently.
    return ListingOf(std::move(objects), [&](const std::string& name) {
        const std::string key = FoldAsciiCase(name);
        auto rows = rowsOf.find(key);
        if (everyColumnRead && rows != rowsOf.end() && timesListed[key] == 1 && rows->second.schemas.size() == 1)
            return std::move(rows->second.columns);
        return columnNames(name);
    });
}

std::vector<std::string> OdbcDatabase::tableNames() {
    std::vector<ListedObject> objects = *listedObjects();
    std::vector<std::string> names;
    names.reserve(objects.size());
    for (auto& object : objects) names.push_back(std::move(object.name));
    return names;
}

std::vector<std::string> OdbcDatabase::columnNames(const std::string& table) {
    // Catalogue functions take a search pattern: "_" and "%" would match
    // other tables' names unless escaped.
    std::string pattern;
    const std::string& escape = handles_->searchEscape;
    for (char c : table) {
        if (!escape.empty() && (c == '_' || c == '%' || escape == std::string_view(&c, 1))) pattern += escape;
        pattern += c;
    }
    Statement statement(openConnection(handles_->connection), handles_->inFlight);
    WideText name(pattern);
    statement.check(SQLColumnsW(statement.get(), nullptr, 0, nullptr, 0, name.data(),
                                static_cast<SQLSMALLINT>(name.length()), nullptr, 0),
                    "SQLColumnsW");
    std::vector<std::string> columns;
    while (statement.fetch()) {
        // A driver without an escape, or one that ignores it, may still list
        // other tables' columns: only this table's count.
        const auto rowTable = statement.text(3);
        if (!rowTable || !ContainsNameIgnoreCase(*rowTable, {table})) continue;
        if (auto column = statement.text(4)) columns.push_back(std::move(*column));
    }
    return columns;
}

void OdbcDatabase::doExecute(const std::string& sql) {
    Statement statement(*handles_->connection, handles_->inFlight);
    WideText text(sql);
    statement.executeAndDrain(text);
}

void OdbcDatabase::doExecuteAnswered(const std::string& sql, const AnswerReceiver& answered) {
    Statement statement(*handles_->connection, handles_->inFlight);
    WideText text(sql);
    statement.executeAnswering(text, answered);
}

void OdbcDatabase::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    std::vector<const std::string*> values;
    const std::string marked = ReplaceParameterMarkers(sql, [&](const std::string& name) {
        values.push_back(&ParameterValue(parameters, name));
        return std::string("?");
    });
    Statement statement(*handles_->connection, handles_->inFlight);
    // The bound buffers must stay where they are until the statement ran.
    std::vector<WideText> buffers;
    buffers.reserve(values.size());
    std::vector<SQLLEN> lengths(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        auto& buffer = buffers.emplace_back(*values[i]);
        lengths[i] = static_cast<SQLLEN>(buffer.length() * sizeof(SQLWCHAR));
        // A text longer than the longest nvarchar(n) goes as a long text
        // (nvarchar(max)): bound as a plain one, a driver may declare it
        // nvarchar(4000), and the server then keeps its first 4,000
        // characters without an error.
        const SQLSMALLINT type = buffer.length() > kLongestWideVarchar ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        statement.check(SQLBindParameter(statement.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                         SQL_C_WCHAR, type, std::max<SQLULEN>(buffer.length(), 1), 0,
                                         buffer.data(), lengths[i] + static_cast<SQLLEN>(sizeof(SQLWCHAR)),
                                         &lengths[i]),
                        "SQLBindParameter");
    }
    WideText text(marked);
    statement.executeAndDrain(text);
}

std::vector<ResultSet> OdbcDatabase::doReadResults(const std::string& sql) {
    Statement statement(*handles_->connection, handles_->inFlight);
    WideText text(sql);
    return statement.readAll(text);
}

OdbcDriverPreferences OdbcDatabase::DriverPreferences() {
    OdbcDriverPreferences preferences;
    Environment environment;
    SQLWCHAR description[1024];
    SQLWCHAR attributes[4096];
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;; direction = SQL_FETCH_NEXT) {
        SQLSMALLINT descriptionLength = 0, attributesLength = 0;
        const SQLRETURN rc =
            SQLDriversW(environment.get(), direction, description, static_cast<SQLSMALLINT>(std::size(description)),
                        &descriptionLength, attributes, static_cast<SQLSMALLINT>(std::size(attributes)),
                        &attributesLength);
        if (rc == SQL_NO_DATA) break;
        environment.check(rc, "SQLDriversW");
        preferences.installedDrivers.push_back(toUtf8(
            description, std::min<std::size_t>(static_cast<std::size_t>(descriptionLength), std::size(description) - 1)));
    }
    preferences.sqlServerDriver = environmentValue(kSqlServerDriverVariable);
    preferences.accessDriver = environmentValue(kAccessDriverVariable);
    return preferences;
}

std::string OdbcDatabase::ConnectionStringFor(const std::string& connectionText) {
    return ToOdbcConnectionString(connectionText, DriverPreferences());
}

}  // namespace orvel
