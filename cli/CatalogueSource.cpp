// Reading a database's catalogue for snapshot, plan and drift.
#include "cli/CatalogueSource.h"

#include <algorithm>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "cli/Console.h"
#include "schema/CatalogueReader.h"
#include "database/OdbcDatabase.h"

namespace orvel {

namespace {

// While the catalogue is read: on a terminal a line that is taken away
// again when the reading ends; otherwise a line that stays, so that a log
// shows where a slow or failed reading began.
class ProgressLine {
public:
    explicit ProgressLine(bool redrawInPlace) : redrawInPlace_(redrawInPlace) {
        WriteStderr(redrawInPlace_ ? "reading the catalogue..." : "reading the catalogue\n");
    }
    ~ProgressLine() {
        if (redrawInPlace_) WriteStderr("\r\x1b[K");
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

private:
    bool redrawInPlace_;
};

std::size_t columnCount(const std::vector<CatalogueObject>& objects) {
    std::size_t count = 0;
    for (const auto& object : objects) count += object.columns.size();
    return count;
}

}  // namespace

CatalogueSnapshot ReadLiveCatalogue(const ConnectionOptions& o, Activity& activity,
                                    const std::function<void(Database& db)>& alsoRead) {
    OdbcDatabase db;
    openDatabase(db, o, activity);
    activity.doing = "reading the tables and columns";
    CatalogueSnapshot snapshot;
    {
        ProgressLine line(StderrIsTerminal());
        snapshot = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    }
    if (alsoRead) alsoRead(db);
    db.close();
    WriteStderr(fmt::format("read the catalogue: tables {}, views {}, columns {}\n", snapshot.tables.size(),
                            snapshot.views.size(), columnCount(snapshot.tables) + columnCount(snapshot.views)));
    return snapshot;
}

bool CatalogueSourceOptions::isLive() const {
    return live || std::any_of(connectionOnly.begin(), connectionOnly.end(),
                               [](const CLI::Option* option) { return option->count() > 0; });
}

void addCatalogueSourceOptions(CLI::App& command, CatalogueSourceOptions& o) {
    o.connectionOnly = addConnectionOptions(command, o.connection, true);
    // A missing file is reported by the load, which opens it by its UTF-8
    // name (CLI::ExistingFile would not read the name as UTF-8 on Windows).
    auto* catalog = command.add_option("--catalog", o.catalogFile, "A catalogue snapshot (JSON) instead of a database");
    auto* live = command.add_flag("--live", o.live,
                                  "Read the database the connection options name (implied by --odbc and by every "
                                  "option that says where the database is)");
    catalog->excludes(live);
    for (auto* option : o.connectionOnly) catalog->excludes(option);
}

CatalogueSnapshot LoadCatalogue(const CatalogueSourceOptions& o, Activity& activity,
                                const std::function<void(Database& db)>& alsoRead) {
    if (o.isLive()) return ReadLiveCatalogue(o.connection, activity, alsoRead);
    if (o.catalogFile.empty()) return CatalogueSnapshot{};
    try {
        return CatalogueSnapshot::Load(PathFromUtf8(o.catalogFile));
    } catch (const SnapshotError& e) {
        throw UsageError(e.what());
    }
}

}  // namespace orvel
