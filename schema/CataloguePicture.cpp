// Keeping the catalogue picture exact: reading, answering, applying.
#include "schema/CataloguePicture.h"

#include "database/NameMatching.h"

namespace orvel {

namespace {

// Where an unqualified name, or one qualified with dbo, is looked for: a
// database without schemas, or its dbo schema.  A name listed in another
// schema may or may not be the one a statement means, so the picture does
// not guess.
bool inDefaultSchema(const std::optional<std::string>& schema) {
    return !schema || EqualIgnoringAsciiCase(*schema, "dbo");
}

}  // namespace

void CataloguePicture::openedPast(const std::string& connectionText) {
    stale_ = true;
    connectionText_ = connectionText;
}

void CataloguePicture::open(const std::string& connectionText) {
    if (connectionText_ != connectionText) stale_ = true;
    connectionText_ = connectionText;
    connection_.open(connectionText);
}

void CataloguePicture::close() { connection_.close(); }

CataloguePicture::Held CataloguePicture::held() const {
    Held held;
    held.stale = stale_;
    held.objects = objects_;
    held.columns = columns_;
    return held;
}

void CataloguePicture::restore(Held held) {
    stale_ = held.stale;
    objects_ = std::move(held.objects);
    columns_ = std::move(held.columns);
}

void CataloguePicture::readWhenStale() {
    if (!stale_) return;
    CatalogueListing listing = connection_.readCatalogue();
    objects_ = std::move(listing.objects);
    columns_.clear();
    for (auto& named : listing.columns) {
        std::string key = FoldAsciiCase(named.name);
        columns_[std::move(key)] = {std::move(named.name), std::move(named.columns), true};
    }
    stale_ = false;
}

const std::vector<std::string>& CataloguePicture::columnsOf(const std::string& name) {
    static const std::vector<std::string> none;
    readWhenStale();
    auto it = columns_.find(FoldAsciiCase(name));
    // A name that is neither a table nor a view has no columns.
    if (it == columns_.end()) return none;
    if (!it->second.known) {
        it->second.columns = connection_.columnNames(name);
        it->second.known = true;
    }
    return it->second.columns;
}

std::vector<std::string> CataloguePicture::tableNames() {
    readWhenStale();
    std::vector<std::string> names;
    names.reserve(objects_.size());
    for (const auto& object : objects_) names.push_back(object.name);
    return names;
}

std::vector<std::string> CataloguePicture::columnNames(const std::string& table) { return columnsOf(table); }

std::optional<std::vector<ListedObject>> CataloguePicture::listedObjects() {
    readWhenStale();
    return objects_;
}

CatalogueListing CataloguePicture::readCatalogue() {
    readWhenStale();
    return ListingOf(objects_, [this](const std::string& name) { return columnsOf(name); });
}

void CataloguePicture::doExecute(const std::string& sql) {
    passOn(sql, [&] { connection_.execute(sql); });
}

void CataloguePicture::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    passOn(sql, [&] { connection_.executeQuery(sql, parameters); });
}

template <typename Send>
void CataloguePicture::passOn(const std::string& sql, Send send) {
    try {
        send();
    } catch (...) {
        // What a rejected statement left behind (a batch stops part way) is
        // for a read to tell.
        stale_ = true;
        throw;
    }
    if (stale_) return;
    const StatementEffect effect = ReadStatementEffect(sql);
    if (effect.mayChangeMore) {
        stale_ = true;
        return;
    }
    if (effect.change) apply(*effect.change);
}

std::vector<std::size_t> CataloguePicture::listedAs(const std::string& name) const {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < objects_.size(); ++i)
        if (EqualIgnoringAsciiCase(objects_[i].name, name)) positions.push_back(i);
    return positions;
}

void CataloguePicture::apply(const CatalogueChange& change) {
    if (!inDefaultSchema(change.schema)) {
        stale_ = true;
        return;
    }
    const std::string key = FoldAsciiCase(change.name);
    const std::vector<std::size_t> listed = listedAs(change.name);
    // The one entry the statement's name means, when there is exactly one.
    const ListedObject* only =
        listed.size() == 1 && inDefaultSchema(objects_[listed.front()].schema) ? &objects_[listed.front()] : nullptr;
    const ObjectKind kind = change.kind == CatalogueChange::CreateTable || change.kind == CatalogueChange::AddColumns ||
                                    change.kind == CatalogueChange::DropTable
                                ? ObjectKind::Table
                                : ObjectKind::View;

    switch (change.kind) {
        case CatalogueChange::CreateTable:
        case CatalogueChange::CreateView:
            if (listed.empty() && change.fault.empty()) {
                objects_.push_back({change.name, kind, change.schema});
                columns_[key] = {change.name, change.columns, change.columnsKnown};
            } else if (!(only && change.guard == CatalogueChange::IfMissing)) {
                stale_ = true;  // the guard skipped the create only when the name was there
            }
            return;
        case CatalogueChange::AlterView:
            if (only && only->kind == ObjectKind::View)
                columns_[key].known = false;
            else
                stale_ = true;
            return;
        case CatalogueChange::AddColumns: {
            if (!only || only->kind != ObjectKind::Table || !change.fault.empty()) {
                stale_ = true;
                return;
            }
            auto& columns = columns_[key];
            if (!columns.known) return;
            for (const auto& column : change.columns) {
                if (ContainsNameIgnoreCase(column, columns.columns)) {
                    stale_ = true;
                    return;
                }
            }
            columns.columns.insert(columns.columns.end(), change.columns.begin(), change.columns.end());
            return;
        }
        case CatalogueChange::DropTable:
        case CatalogueChange::DropView:
            if (listed.empty() && change.guard == CatalogueChange::IfPresent) return;
            if (!only || only->kind != kind) {
                stale_ = true;
                return;
            }
            objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(listed.front()));
            columns_.erase(key);
            return;
    }
}

}  // namespace orvel
