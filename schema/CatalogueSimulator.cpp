// The simulator's catalogue and the statements it applies to it.
//
// What a statement changes is read by ReadStatementEffect, the reading the
// catalogue picture uses too; here it is applied as a server would apply
// it, with a server's refusals.
#include "schema/CatalogueSimulator.h"

#include <algorithm>
#include <thread>

#include "database/NameMatching.h"
#include "database/NamedParameters.h"
#include "schema/StatementEffects.h"

namespace orvel {

namespace {

constexpr const char* kErrorClass = "SimulatedDatabaseError";

DatabaseError rejected(const std::string& message) { return DatabaseError(kErrorClass, message); }

using Objects = std::vector<CatalogueObject>;

Objects::iterator findIn(Objects& objects, std::string_view name) {
    return std::find_if(objects.begin(), objects.end(),
                        [&](const CatalogueObject& o) { return EqualIgnoringAsciiCase(name, o.name); });
}

}  // namespace

CatalogueSimulator::CatalogueSimulator(CatalogueSnapshot catalogue) : catalogue_(std::move(catalogue)) {}

void CatalogueSimulator::roundTrip() {
    if (delay_.count() <= 0) return;
    // Sleep most of the delay, then wait out the rest exactly: a plain sleep
    // overshoots by tens of microseconds, which the benchmark would measure.
    const auto deadline = std::chrono::steady_clock::now() + delay_;
    const auto coarse = delay_ - std::chrono::microseconds(200);
    if (coarse.count() > 0) std::this_thread::sleep_for(coarse);
    while (std::chrono::steady_clock::now() < deadline) {
    }
}

void CatalogueSimulator::open(const std::string& connectionText) {
    roundTrip();
    if (failOpen_) {
        auto message = std::move(*failOpen_);
        failOpen_.reset();
        throw rejected(message);
    }
    openedWith_.push_back(connectionText);
    open_ = true;
}

void CatalogueSimulator::close() {
    if (open_) ++closeCount_;
    open_ = false;
}

void CatalogueSimulator::catalogueRoundTrip() {
    if (!open_) throw rejected("Operation is not allowed when the object is closed.");
    roundTrip();
    ++catalogueReads_;
}

std::vector<ListedObject> CatalogueSimulator::objects() const {
    std::vector<ListedObject> objects;
    objects.reserve(catalogue_.tables.size() + catalogue_.views.size());
    for (const auto& t : catalogue_.tables) objects.push_back({t.name, ObjectKind::Table});
    for (const auto& v : catalogue_.views) objects.push_back({v.name, ObjectKind::View});
    return objects;
}

std::vector<std::string> CatalogueSimulator::columnsOf(const std::string& table) const {
    std::vector<std::string> columns;
    for (const auto* group : {&catalogue_.tables, &catalogue_.views})
        for (const auto& object : *group)
            if (EqualIgnoringAsciiCase(table, object.name))
                columns.insert(columns.end(), object.columns.begin(), object.columns.end());
    return columns;
}

std::vector<std::string> CatalogueSimulator::tableNames() {
    catalogueRoundTrip();
    std::vector<std::string> names;
    for (auto& object : objects()) names.push_back(std::move(object.name));
    return names;
}

std::optional<std::vector<ListedObject>> CatalogueSimulator::listedObjects() {
    catalogueRoundTrip();
    return objects();
}

std::vector<std::string> CatalogueSimulator::columnNames(const std::string& table) {
    catalogueRoundTrip();
    return columnsOf(table);
}

CatalogueListing CatalogueSimulator::readCatalogue() {
    catalogueRoundTrip();
    return ListingOf(objects(), [this](const std::string& name) { return columnsOf(name); });
}

void CatalogueSimulator::failStatement(int k, std::string message) {
    failAt_ = {static_cast<int>(statements_.size()) + k, std::move(message)};
}

void CatalogueSimulator::failStatementsContaining(std::string fragment, std::string message) {
    failFragments_.emplace_back(std::move(fragment), std::move(message));
}

void CatalogueSimulator::failNextOpen(std::string message) { failOpen_ = std::move(message); }

void CatalogueSimulator::doExecute(const std::string& sql) { send(Sender::Command, sql, {}); }

void CatalogueSimulator::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    send(Sender::Query, sql, parameters);
}

void CatalogueSimulator::send(Sender via, const std::string& sql, const Parameters& parameters) {
    roundTrip();
    statements_.push_back({std::nullopt, via, sql, parameters, std::nullopt});
    try {
        if (failAt_ && failAt_->first == static_cast<int>(statements_.size())) {
            auto message = std::move(failAt_->second);
            failAt_.reset();
            throw rejected(message);
        }
        for (const auto& [fragment, message] : failFragments_)
            if (sql.find(fragment) != std::string::npos) throw rejected(message);
        if (via == Sender::Query)
            for (const auto& marker : FindParameterMarkers(sql)) ParameterValue(parameters, marker.name);
        apply(sql);
    } catch (const DatabaseError& e) {
        statements_.back().error = e.what();
        throw;
    }
}

void CatalogueSimulator::apply(const std::string& sql) {
    const StatementEffect effect = ReadStatementEffect(sql);
    if (!effect.change) return;
    const CatalogueChange& change = *effect.change;
    const std::string& name = change.name;
    auto exists = [this](const std::string& object) {
        return findIn(catalogue_.tables, object) != catalogue_.tables.end() ||
               findIn(catalogue_.views, object) != catalogue_.views.end();
    };
    switch (change.kind) {
        case CatalogueChange::CreateTable:
        case CatalogueChange::CreateView: {
            if (change.guard == CatalogueChange::IfMissing && exists(name)) return;
            if (!change.fault.empty()) throw rejected(change.fault);
            if (exists(name)) throw rejected("There is already an object named '" + name + "' in the database.");
            auto& group = change.kind == CatalogueChange::CreateTable ? catalogue_.tables : catalogue_.views;
            group.push_back({name, change.columns});
            return;
        }
        case CatalogueChange::DropTable:
        case CatalogueChange::DropView: {
            const bool view = change.kind == CatalogueChange::DropView;
            auto& group = view ? catalogue_.views : catalogue_.tables;
            auto& other = view ? catalogue_.tables : catalogue_.views;
            auto it = findIn(group, name);
            if (it != group.end()) {
                group.erase(it);
            } else if (findIn(other, name) != other.end()) {
                // OBJECT_ID finds an object of either kind, so a guard lets
                // the drop through to a server that refuses it.
                const std::string wanted = view ? "VIEW" : "TABLE", found = view ? "table" : "view";
                throw rejected("Cannot use DROP " + wanted + " with '" + name + "' because '" + name + "' is a " +
                               found + ". Use DROP " + (view ? "TABLE" : "VIEW") + ".");
            } else if (change.guard != CatalogueChange::IfPresent) {
                throw rejected(std::string("Cannot drop the ") + (view ? "view" : "table") + " '" + name +
                               "', because it does not exist or you do not have permission.");
            }
            return;
        }
        case CatalogueChange::AddColumns: {
            auto table = findIn(catalogue_.tables, name);
            if (table == catalogue_.tables.end())
                throw rejected("Cannot find the object \"" + name +
                               "\" because it does not exist or you do not have permissions.");
            if (!change.fault.empty()) throw rejected(change.fault);
            // A server takes all the columns or none of them.
            std::vector<std::string> columns = table->columns;
            for (const auto& column : change.columns) {
                if (ContainsNameIgnoreCase(column, columns))
                    throw rejected("Column names in each table must be unique. Column name '" + column +
                                   "' in table '" + name + "' is specified more than once.");
                columns.push_back(column);
            }
            table->columns = std::move(columns);
            return;
        }
        case CatalogueChange::AlterView:
            // What the view's query now yields is more than a catalogue of
            // names can know; the view keeps the columns it had.
            return;
    }
}

}  // namespace orvel
