// The catalogue of the open database, kept in memory for a run.
//
// The picture stands in front of the connection as a Database: the schema
// operations ask it their questions (the table list, a table's columns) and
// send their statements through it.  It reads the whole catalogue in one go
// at the first question after the connection opens, and keeps it exact by
// applying what each statement it passes on does to the tables, views and
// columns (the reading the catalogue simulator applies too).  A statement
// that may change them in a way that reading does not pin down, one the
// database rejects, or one whose effect disagrees with the picture (a create
// of a name already listed, an add to a table listed twice) makes the
// picture stale: the next question reads everything again.  A view created
// without a column list, or altered, keeps its place on the list and has
// its columns asked for alone when a question needs them.
//
// What it answers is what a read would answer at that moment for everything
// sent through it: the same entries of the table list (a table in two
// schemas twice, views as tables; new names at the end and in the letter
// case of the statement, where a read may order and case them otherwise,
// which no question here depends on), and for every name the columns a
// column list of that name would give, compared as the operations compare
// names.  Changes made by anyone else, on this connection past the picture
// or on another, are seen only after invalidate() or an open with another
// connection text.  A close and an open with the text the connection had keep
// the picture as it was (stale or not): a reconnect changes nothing the
// database holds, and reading the whole catalogue again costs a server with
// many tables most of a second.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/Database.h"
#include "schema/StatementEffects.h"

namespace orvel {

class CataloguePicture : public Database {
public:
    // What the picture holds at one moment, kept to go back to.
    class Held;

    explicit CataloguePicture(Database& connection) : connection_(connection) {}

    // Forgets what it holds: the next question reads the catalogue again.
    void invalidate() { stale_ = true; }
    // The connection was opened past the picture with `connectionText`:
    // forgets what it holds, as an open with another text does, and takes
    // that text as the one a reconnect keeps the picture for.
    void openedPast(const std::string& connectionText);

    // What it holds now, and going back to it: for a database that undid
    // everything sent since (a transaction rolled back), the picture held
    // then is exact again.
    Held held() const;
    void restore(Held held);

    // Opening and closing pass through; an open with a connection text other
    // than the one the connection had forgets the picture.
    void open(const std::string& connectionText) override;
    void close() override;
    bool isOpen() const override { return connection_.isOpen(); }
    std::optional<ServerIdentity> serverIdentity() const override { return connection_.serverIdentity(); }

    std::vector<std::string> tableNames() override;
    std::vector<std::string> columnNames(const std::string& table) override;
    std::optional<std::vector<ListedObject>> listedObjects() override;
    // The picture itself, in the form of a whole-catalogue reading.
    CatalogueListing readCatalogue() override;

protected:
    void doExecute(const std::string& sql) override;
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override;
    // A read changes no name: passed on, the picture kept.
    std::vector<ResultSet> doReadResults(const std::string& sql) override { return connection_.readResults(sql); }

private:
    // The columns of one name, as a column list of that name gives them;
    // `known` false when they must be asked for before they are used.
    struct NameColumns {
        std::string name;
        std::vector<std::string> columns;
        bool known = true;
    };

    void readWhenStale();
    const std::vector<std::string>& columnsOf(const std::string& name);
    template <typename Send>
    void passOn(const std::string& sql, Send send);
    void apply(const CatalogueChange& change);
    std::vector<std::size_t> listedAs(const std::string& name) const;

    Database& connection_;
    // The text the connection was last opened with, where the picture knows it.
    std::optional<std::string> connectionText_;
    bool stale_ = true;
    std::vector<ListedObject> objects_;
    std::unordered_map<std::string, NameColumns> columns_;  // by FoldAsciiCase(name)
};

class CataloguePicture::Held {
    friend class CataloguePicture;
    bool stale = true;
    std::vector<ListedObject> objects;
    std::unordered_map<std::string, NameColumns> columns;
};

}  // namespace orvel
