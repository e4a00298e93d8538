// The live server of the live suites: scratch databases and the tests' own
// session, straight on the ODBC API (the program's adapter is what the suites
// test, so their fixture does not lean on it).
#include "LiveServer.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <thread>

#include <sql.h>
#include <sqlext.h>

#include "database/Database.h"

namespace orvel::test {

const char* const kNoLiveServer =
    "ORVEL_TEST_ODBC is not set, so there is no live server to run against.  ./test sets it when it "
    "finds the T-SQL engine (../shared/tsql-engine, or the folder named by ORVEL_TSQL_ENGINE); or set it "
    "to the ODBC string of a SQL Server login that may create databases";

std::optional<std::string> LiveServerConnection() {
    const char* value = std::getenv("ORVEL_TEST_ODBC");
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

namespace {

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

struct Diagnostic {
    std::string state;
    long native = 0;
    std::string message;
};

std::vector<Diagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<Diagnostic> records;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[2048];
        SQLSMALLINT length = 0;
        if (!succeeded(SQLGetDiagRec(handleType, handle, record, state, &native, text, sizeof text, &length))) break;
        const auto kept = std::min<std::size_t>(static_cast<std::size_t>(length), sizeof text - 1);
        records.push_back({reinterpret_cast<char*>(state), native, std::string(reinterpret_cast<char*>(text), kept)});
    }
    return records;
}

[[noreturn]] void fail(SQLSMALLINT handleType, SQLHANDLE handle, const char* call) {
    const auto records = diagnostics(handleType, handle);
    std::string message;
    for (const auto& record : records) message += (message.empty() ? "" : "\n") + record.message;
    if (records.empty()) throw DatabaseError("OdbcError", std::string(call) + " failed without a diagnostic record");
    throw DatabaseError("OdbcError", message, records.front().state, records.front().native);
}

// A server's message without the driver's "[vendor][component]" prefixes.
std::string serverText(std::string message) {
    while (message.starts_with('[')) {
        const auto end = message.find(']');
        if (end == std::string::npos) break;
        message.erase(0, end + 1);
    }
    return message;
}

// A column of the current row as text; nullopt for NULL.
std::optional<std::string> columnText(SQLHSTMT statement, SQLUSMALLINT column) {
    std::string text;
    char buffer[4096];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(statement, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!succeeded(rc)) fail(SQL_HANDLE_STMT, statement, "SQLGetData");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const std::size_t room = sizeof buffer - 1;
        const std::size_t got = indicator == SQL_NO_TOTAL || indicator < 0
                                    ? room
                                    : std::min(room, static_cast<std::size_t>(indicator));
        text.append(buffer, got);
        if (rc == SQL_SUCCESS) break;
    }
    return text;
}

// Creating and dropping a database changes the server's own catalogue, and
// two such changes at the same moment (live tests side by side: ctest -j,
// or several checkouts against one server) can collide.  The engine then
// refuses one with "tuple concurrently updated", SQL Server with error 1807
// (another CREATE DATABASE holds the model database).  Neither says anything
// about the statement itself, which is sent again after a short wait.
bool collidedWithAnotherDatabaseChange(const DatabaseError& error) {
    return error.nativeCode() == 1807 ||
           std::string_view(error.what()).find("concurrently updated") != std::string_view::npos;
}

void changeDatabases(const std::string& server, const std::string& sql) {
    constexpr int kAttempts = 10;
    for (int attempt = 1;; ++attempt) {
        try {
            ServerSession(server).run(sql);
            return;
        } catch (const DatabaseError& error) {
            if (attempt == kAttempts || !collidedWithAnotherDatabaseChange(error)) throw;
        }
        // Waits that differ from process to process, so that the colliding
        // tests do not meet again.
        std::this_thread::sleep_for(std::chrono::milliseconds(50 * attempt + getpid() % 50));
    }
}

std::string uniqueSuffix() {
    static std::atomic<int> counter{0};
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch()).count();
    return std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" + std::to_string(seconds % 1000000);
}

}  // namespace

// ---- ServerSession --------------------------------------------------------

struct ServerSession::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;

    ~Handles() {
        if (connected) SQLDisconnect(connection);
        if (connection != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, connection);
        if (environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }
};

ServerSession::ServerSession(const std::string& odbc) : handles_(std::make_unique<Handles>()) {
    auto& h = *handles_;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.environment)))
        throw DatabaseError("OdbcError", "The ODBC driver manager could not allocate an environment");
    SQLSetEnvAttr(h.environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_DBC, h.environment, &h.connection)))
        fail(SQL_HANDLE_ENV, h.environment, "SQLAllocHandle");
    std::string text = odbc;
    if (!succeeded(SQLDriverConnect(h.connection, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr,
                                    0, nullptr, SQL_DRIVER_NOPROMPT)))
        fail(SQL_HANDLE_DBC, h.connection, "SQLDriverConnect");
    h.connected = true;
}

ServerSession::~ServerSession() = default;
ServerSession::ServerSession(ServerSession&&) noexcept = default;
ServerSession& ServerSession::operator=(ServerSession&&) noexcept = default;

ServerAnswer ServerSession::run(const std::string& sql) {
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_STMT, handles_->connection, &statement)))
        fail(SQL_HANDLE_DBC, handles_->connection, "SQLAllocHandle");
    std::unique_ptr<void, void (*)(void*)> owner(statement, [](void* s) { SQLFreeHandle(SQL_HANDLE_STMT, s); });

    ServerAnswer answer;
    // Informational messages arrive as "success with info" on any call.
    const auto check = [&](SQLRETURN rc, const char* call) {
        if (rc == SQL_SUCCESS_WITH_INFO)
            for (const auto& record : diagnostics(SQL_HANDLE_STMT, statement))
                answer.messages.push_back(serverText(record.message));
        else if (rc != SQL_SUCCESS && rc != SQL_NO_DATA)
            fail(SQL_HANDLE_STMT, statement, call);
    };
    std::string text = sql;
    check(SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(text.data()), static_cast<SQLINTEGER>(text.size())),
          "SQLExecDirect");
    for (;;) {
        SQLSMALLINT columns = 0;
        check(SQLNumResultCols(statement, &columns), "SQLNumResultCols");
        if (columns > 0) {
            for (SQLRETURN rc; (rc = SQLFetch(statement)) != SQL_NO_DATA;) {
                check(rc, "SQLFetch");
                Row row;
                for (SQLUSMALLINT column = 1; column <= columns; ++column)
                    row.push_back(columnText(statement, column));
                answer.rows.push_back(std::move(row));
            }
        }
        const SQLRETURN rc = SQLMoreResults(statement);
        if (rc == SQL_NO_DATA) break;
        check(rc, "SQLMoreResults");
    }
    return answer;
}

std::optional<std::string> ServerSession::value(const std::string& sql) {
    const auto rows = run(sql).rows;
    if (rows.size() != 1 || rows.front().empty())
        throw std::runtime_error("expected one row, got " + std::to_string(rows.size()) + " from: " + sql);
    return rows.front().front();
}

// ---- ScratchDatabase ------------------------------------------------------

ScratchDatabase::ScratchDatabase(std::string_view prefix) : ScratchDatabase(prefix, {}) {}

ScratchDatabase::ScratchDatabase(std::string_view prefix, std::string_view collation) {
    const auto server = LiveServerConnection();
    if (!server) throw std::logic_error(std::string("a scratch database needs a live server: ") + kNoLiveServer);
    server_ = *server;
    while (server_.ends_with(';')) server_.pop_back();
    name_ = std::string(prefix) + uniqueSuffix();
    changeDatabases(server_, "CREATE DATABASE [" + name_ + "]" +
                                 (collation.empty() ? "" : " COLLATE " + std::string(collation)));
}

ScratchDatabase::~ScratchDatabase() {
    const std::string drop = "DROP DATABASE [" + name_ + "]";
    try {
        try {
            changeDatabases(server_, drop);
        } catch (const DatabaseError&) {
            // SQL Server refuses to drop a database in use: a run the test
            // left behind may still be connected.
            endSessions();
            changeDatabases(server_, drop);
        }
    } catch (const std::exception& e) {
        ADD_FAILURE() << "The test database " << name_ << " could not be dropped: " << e.what();
    }
}

std::string ScratchDatabase::connectionString() const { return server_ + ";Database=" + name_; }

std::vector<std::string> ScratchDatabase::sessions() const {
    std::vector<std::string> ids;
    for (const auto& row : ServerSession(server_).rows(
             "SELECT session_id FROM sys.dm_exec_sessions WHERE database_id = DB_ID('" + name_ +
             "') AND session_id <> @@SPID"))
        if (row.front()) ids.push_back(*row.front());
    return ids;
}

void ScratchDatabase::endSessions() const {
    for (const auto& id : sessions()) endSession(id);
}

void ScratchDatabase::endSession(const std::string& id) const {
    try {
        ServerSession(server_).run("KILL " + id);
    } catch (const DatabaseError&) {
        // It ended on its own between the listing and the KILL.
    }
}

// ---- comparing catalogues ------------------------------------------------

CatalogueSnapshot AsServerCompares(CatalogueSnapshot catalogue) {
    const auto fold = [](std::string& name) {
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    };
    for (auto* objects : {&catalogue.tables, &catalogue.views}) {
        for (auto& object : *objects) {
            fold(object.name);
            std::for_each(object.columns.begin(), object.columns.end(), fold);
        }
        std::sort(objects->begin(), objects->end(),
                  [](const CatalogueObject& a, const CatalogueObject& b) { return a.name < b.name; });
    }
    return catalogue;
}

CatalogueSnapshot WithoutServerObjects(CatalogueSnapshot catalogue, const CatalogueSnapshot& newDatabase) {
    const auto remove = [](std::vector<CatalogueObject>& objects, const std::vector<CatalogueObject>& own) {
        std::erase_if(objects, [&](const CatalogueObject& object) {
            return std::find(own.begin(), own.end(), object) != own.end();
        });
    };
    remove(catalogue.tables, newDatabase.tables);
    remove(catalogue.views, newDatabase.views);
    return catalogue;
}

bool LiveServerIsTsqlEngine() {
    static const bool engine = [] {
        const auto server = LiveServerConnection();
        if (!server) return false;
        return ServerSession(*server).value("select @@version").value_or("").find("Babelfish") != std::string::npos;
    }();
    return engine;
}

}  // namespace orvel::test
