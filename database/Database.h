// The database the upgrader talks to, as one abstract class.
//
// Everything above this interface (schema operations, table and object steps,
// the run driver, the query window) sees only these operations.  The ODBC
// adapter implements it against a real server; the catalogue simulator
// implements it in memory for `plan` and for tests; decorators (the
// statement log, the catalogue picture) sit in front of either.  Every
// failure is a DatabaseError, whatever the implementation.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvel {

// The one error type of the database layer: the database's own message and
// the name of the error's class ("Error class: ..." in the query window).
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(std::string errorClass, const std::string& message,
                  std::string sqlState = {}, long nativeCode = 0);

    const std::string& errorClass() const noexcept { return errorClass_; }
    const std::string& sqlState() const noexcept { return sqlState_; }
    long nativeCode() const noexcept { return nativeCode_; }

private:
    std::string errorClass_;
    std::string sqlState_;
    long nativeCode_;
};

// The class an error is reported under: a DatabaseError's own, "Error" for
// any other.
std::string ErrorClassOf(const std::exception& error);

// A named text parameter of a query-object statement (`:name` in its text).
struct NamedParameter {
    std::string name;
    std::string value;

    bool operator==(const NamedParameter&) const = default;
};
using Parameters = std::vector<NamedParameter>;

// The object a statement is sent through: the command object, as the schema
// operations send, or the query object, which binds named parameters.
enum class Sender { Command, Query };

// An entry of the table list with what it is.  The schema operations treat
// tables and views alike; a catalogue snapshot keeps them apart.
enum class ObjectKind { Table, View };
struct ListedObject {
    std::string name;
    ObjectKind kind = ObjectKind::Table;
    // The schema the database lists it in; none when it has no schemas.
    std::optional<std::string> schema;

    bool operator==(const ListedObject&) const = default;
};

// The columns columnNames(name) returns for one name of the table list.
struct NamedColumns {
    std::string name;
    std::vector<std::string> columns;

    bool operator==(const NamedColumns&) const = default;
};

// The whole catalogue in one reading: the table list as listedObjects()
// gives it, and for each name on it (once, names equal but for the case of
// A-Z counting as one, in list order) exactly what columnNames(name) would
// return at that moment.
struct CatalogueListing {
    std::vector<ListedObject> objects;
    std::vector<NamedColumns> columns;

    bool operator==(const CatalogueListing&) const = default;
};

// One result set of a read: its column names and its rows, every value as
// text in the database's own rendering (a NULL is nullopt).
struct ResultSet {
    using Row = std::vector<std::optional<std::string>>;

    std::vector<std::string> columns;
    std::vector<Row> rows;

    bool operator==(const ResultSet&) const = default;
};

// One answer of a statement text sent by executeAnswered: a result set, or
// the number of rows a statement changed, with the messages the server sent
// with it (PRINT, informational messages), as the database gave them.
struct StatementAnswer {
    std::optional<ResultSet> rows;
    std::optional<long long> rowsAffected;  // a result without columns that counted the rows it changed
    std::vector<std::string> messages;

    bool operator==(const StatementAnswer&) const = default;
};
using AnswerReceiver = std::function<void(StatementAnswer answer)>;

// What a database says it is, as the driver reports it when the connection
// opens: the product ("Microsoft SQL Server", "ACCESS", "SQLite") and its
// version ("11.00.3000").
struct ServerIdentity {
    std::string product;
    std::string version;

    bool operator==(const ServerIdentity&) const = default;
};

// The listing of a table list whose columns `columnsOf` gives, name by name.
CatalogueListing ListingOf(std::vector<ListedObject> objects,
                           const std::function<std::vector<std::string>(const std::string& name)>& columnsOf);

class Database {
public:
    virtual ~Database() = default;

    // Opens from a connection text; the implementation decides what the text
    // means (the ODBC adapter accepts ADO-style and ODBC texts).
    virtual void open(const std::string& connectionText) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // What the open database says it is; nothing when closed or when it does
    // not tell (the simulator).
    virtual std::optional<ServerIdentity> serverIdentity() const { return std::nullopt; }
    // The database the open connection is in, as the server reports it (a
    // connection text that names none lands in the login's default one);
    // nothing when closed or when it does not tell.
    virtual std::optional<std::string> currentDatabase() const { return std::nullopt; }
    // A new, closed database of the same kind, to open a second session of
    // its own on the same server (the run lock's); nothing when this
    // implementation gives no such session (the simulator).
    virtual std::unique_ptr<Database> newSession() const { return nullptr; }
    // Asks the statement under way on this connection, if any, to stop.
    // Called from another thread while the connection's own thread waits
    // for the statement's answer; that statement then fails, or ends as
    // usual when the server finishes it first.  Does nothing where nothing
    // can be cancelled, and never throws.
    virtual void cancel() noexcept {}

    // Tables and views of every schema, names only, in the provider's order.
    virtual std::vector<std::string> tableNames() = 0;
    // Columns of every table called `table` in any schema; empty when none.
    virtual std::vector<std::string> columnNames(const std::string& table) = 0;
    // The entries of tableNames() with their kinds, in the same order;
    // nothing when this database cannot tell tables from views.
    virtual std::optional<std::vector<ListedObject>> listedObjects() { return std::nullopt; }
    // The table list and the columns of every name on it.  This default asks
    // listedObjects(), then columnNames() once per name: right for any
    // database that can tell tables from views, and what a decorator gets
    // when it does not forward the call.  Implementations override it to
    // read everything in one or two calls.  Throws when the database cannot
    // tell tables from views.
    virtual CatalogueListing readCatalogue();

    // Sends a statement text as one batch through the command object and
    // discards any result.  An empty text or a closed connection is refused
    // here, the same way for every implementation.
    void execute(const std::string& sql);
    // As execute, handing every answer of the batch to `answered` as it
    // arrives, until the end or the first error, which is thrown once the
    // answers before it were handed on (the query window's statement text,
    // as `exec` shows it).  This default sends as execute does and answers
    // nothing: a database that keeps no rows, and the decorators, which log
    // or watch what is sent, say nothing more.
    void executeAnswered(const std::string& sql, const AnswerReceiver& answered);
    // Sends a query-object text whose `:name` markers are bound, by name, to
    // the given text parameters; returns no rows.
    void executeQuery(const std::string& sql, const Parameters& parameters = {});
    // Asks a question that changes nothing (a SELECT, or a batch of them) and
    // returns every result set it gives, in order; results without columns
    // (row counts) are left out.  A read is no statement of a run: the
    // statement log does not record it and the catalogue picture passes it
    // on unread.  A database that holds no rows (the simulator) refuses it.
    std::vector<ResultSet> readResults(const std::string& sql);

protected:
    virtual void doExecute(const std::string& sql) = 0;
    virtual void doExecuteQuery(const std::string& sql, const Parameters& parameters) = 0;
    virtual void doExecuteAnswered(const std::string& sql, const AnswerReceiver& answered);
    // This default refuses: the database keeps no rows to read.
    virtual std::vector<ResultSet> doReadResults(const std::string& sql);
};

}  // namespace orvel
