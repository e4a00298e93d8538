// The one interpreter of the check's rules (CheckRules.cpp).
//
// JudgeCatalogue walks the planned statements over the catalogue the run
// starts from, keeping what stands under each name (a table with its
// columns, a view, a procedure...), and asks every catalogue rule of each
// change.  DataQuestions follows each table holding rows through the run's
// changes (columns it adds, fills, converts; keys it drops and makes; rows
// it deletes) and turns every rule that applies into a probe: the
// conditions over the rows a question asks.
#include <algorithm>
#include <set>

#include <fmt/format.h>

#include "check/RefusalCheck.h"
#include "database/NameMatching.h"
#include "database/SqlTokens.h"
#include "schema/StatementEffects.h"

namespace orvel {

namespace {

using K = PlannedChange::Kind;

bool RuleIsOn(const CheckRule& rule, K kind) { return std::find(rule.on.begin(), rule.on.end(), kind) != rule.on.end(); }

// What stands under each name while the run goes on, and which tables held
// rows before it.
class CatalogueWalk {
public:
    CatalogueWalk(const CatalogueSnapshot& start, const std::map<std::string, std::string>& others) {
        for (const auto& [name, kind] : others) objects_[name] = {kind, {}};
        for (const auto& view : start.views) add(view, "view");
        for (const auto& table : start.tables) {
            add(table, "table");
            held_.insert(FoldAsciiCase(table.name));
        }
    }

    const NamedObject* find(const std::string& name) const {
        const auto o = objects_.find(FoldAsciiCase(name));
        return o == objects_.end() ? nullptr : &o->second;
    }
    bool heldBeforeRun(const std::string& table) const { return held_.contains(FoldAsciiCase(table)); }

    void apply(const std::string& sql) {
        const StatementEffect effect = ReadStatementEffect(sql);
        if (!effect.change) return;
        const CatalogueChange& change = *effect.change;
        const std::string name = FoldAsciiCase(change.name);
        const bool present = objects_.contains(name);
        if (change.guard == CatalogueChange::IfMissing && present) return;
        if (change.guard == CatalogueChange::IfPresent && !present) return;
        switch (change.kind) {
            case CatalogueChange::CreateTable:
            case CatalogueChange::CreateView:
                objects_[name] = {change.kind == CatalogueChange::CreateTable ? "table" : "view", {}};
                for (const auto& column : change.columns) objects_[name].columns.push_back(column);
                held_.erase(name);
                break;
            case CatalogueChange::AddColumns:
                for (const auto& column : change.columns) objects_[name].columns.push_back(column);
                break;
            case CatalogueChange::DropTable:
            case CatalogueChange::DropView:
                objects_.erase(name);
                held_.erase(name);
                break;
            case CatalogueChange::AlterView:
                break;
        }
    }

private:
    void add(const CatalogueObject& object, const std::string& kind) {
        NamedObject& named = objects_[FoldAsciiCase(object.name)];
        named.kind = kind;
        for (const auto& column : object.columns) named.columns.push_back(ColumnTestName(column));
    }

    std::map<std::string, NamedObject> objects_;
    std::set<std::string> held_;
};

bool HasColumn(const NamedObject& object, const std::string& column) {
    return ContainsNameIgnoreCase(ColumnTestName(column), object.columns);
}

// The changes whose tables' rows the rules ask about; a drop of a key or
// a table is followed even behind a guard, the rest only when unguarded.
bool AskedOfRows(const PlannedChange& change) {
    switch (change.kind) {
        case K::DropKey:
        case K::DropTable:
            return true;
        case K::AlterColumn:
        case K::AddPrimaryKey:
        case K::AddUnique:
        case K::AddColumn:
        case K::Insert:
        case K::DeleteRows:
        case K::FillColumn:
            return change.guard == PlannedChange::Unguarded;
        default:
            return false;
    }
}

Refusal RefusalOf(const PlannedChanges& planned, std::size_t index, const CheckRule& rule,
                  const std::map<std::string, std::string>& fields) {
    const PlannedStatement& s = planned.statements[index];
    const long error = rule.error ? rule.error
                       : rule.rule == "missing-table" ? std::stol(fields.at("missingTableError"))
                       : rule.rule == "missing-column" ? std::stol(fields.at("missingColumnError"))
                                                       : 0;
    return {.statementIndex = index, .step = s.step, .statement = s.sql, .table = fields.at("table"),
            .column = fields.contains("missingColumn") ? fields.at("missingColumn") : fields.at("column"),
            .rule = std::string(rule.rule),
            .error = error, .reason = Expand(rule.reason, fields), .advice = Expand(rule.advice, fields)};
}

// Follows one table holding rows through the run and makes the probes of
// every rule that applies to its changes.
class TableFollower {
public:
    TableFollower(const PlannedChanges& planned, const TableFacts& facts, const QuestionDialect& dialect,
                  TableQuestion& question)
        : planned_(planned), dialect_(dialect), question_(question) {
        state_.name = facts.name;
        for (const auto& c : facts.columns) {
            const TypeFacts type = TypeOf(c.type);
            state_.columns.push_back({c.name, type, type, c.nullable});
        }
        state_.keys = facts.keys;
    }

    void follow(std::size_t changeIndex) {
        const PlannedChange& change = planned_.changes[changeIndex];
        switch (change.kind) {
            case K::DropTable:
                question_.warnings.push_back(changeIndex);
                return;
            case K::DeleteRows:
                question_.warnings.push_back(changeIndex);
                state_.emptied = true;
                return;
            case K::FillColumn:
                for (const auto& name : change.columns)
                    if (auto* c = state_.column(name)) c->setByRun = true;
                return;
            case K::DropKey:
                std::erase_if(state_.keys,
                              [&](const KeyFacts& k) { return EqualIgnoringAsciiCase(k.name, change.keyName); });
                return;
            case K::Insert:
                // A row the run adds beside the rows held (sent on every run).
                if (!state_.emptied) question_.warnings.push_back(changeIndex);
                break;
            default:
                break;
        }
        ask(changeIndex, change);
        apply(change);
    }

private:
    void ask(std::size_t changeIndex, const PlannedChange& change) {
        const ColumnState* column =
            change.kind == K::AlterColumn && !change.columns.empty() ? state_.column(change.columns[0]) : nullptr;
        if (change.kind == K::AlterColumn && !column) return;
        for (const auto& rule : CheckRules()) {
            if (rule.source == CheckRule::Catalogue || !RuleIsOn(rule, change.kind)) continue;
            RuleContext base{.change = change, .table = &state_, .column = column};
            switch (rule.subject) {
                case CheckRule::EachKeyOverColumn:
                    for (const auto& key : state_.keys) {
                        if (!ContainsNameIgnoreCase(change.columns[0], key.columns)) continue;
                        RuleContext c = base;
                        c.key = &key;
                        // One key is enough to tell the column cannot be altered.
                        if (tryRule(changeIndex, rule, c)) break;
                    }
                    break;
                case CheckRule::EachKeyColumn:
                    for (const auto& name : change.columns) {
                        RuleContext c = base;
                        c.column = state_.column(name);
                        if (c.column) tryRule(changeIndex, rule, c);
                    }
                    break;
                case CheckRule::EachUniqueKey:
                    for (const auto& key : state_.keys) {
                        if (key.kind != KeyFacts::PrimaryKey && key.kind != KeyFacts::Unique) continue;
                        RuleContext c = base;
                        c.key = &key;
                        tryRule(changeIndex, rule, c);
                    }
                    break;
                default:
                    tryRule(changeIndex, rule, base);
                    break;
            }
        }
    }

    bool tryRule(std::size_t changeIndex, const CheckRule& rule, const RuleContext& context) {
        if (!rule.applies(context)) return false;
        const auto fields = RuleFields(context, dialect_.binaryCollation);
        Probe probe{.change = changeIndex, .row = &rule, .rule = std::string(rule.rule), .error = rule.error,
                    .reason = Expand(rule.reason, fields), .advice = Expand(rule.advice, fields),
                    .source = rule.source, .column = fields.at("c"), .refused = Expand(rule.refused, fields),
                    .unsure = Expand(rule.unsure, fields)};
        switch (rule.source) {
            case CheckRule::Always:
                probe.refusedWithoutRows = true;
                break;
            case CheckRule::Groups:
                probe.grouped = true;
                probe.groupBy = fields.at("groups");
                break;
            case CheckRule::TextValue:
            case CheckRule::MoneyText:
                probe.valueExpression = "q_v";
                probe.plain = fields.at("plain");
                break;
            default:
                probe.valueExpression = fields.at("value");
                break;
        }
        question_.probes.push_back(std::move(probe));
        return true;
    }

    void apply(const PlannedChange& change) {
        switch (change.kind) {
            case K::AlterColumn:
                if (ColumnState* c = state_.column(change.columns[0])) {
                    c->type = TypeOf(change.type);
                    c->nullable = !change.notNull;
                }
                break;
            case K::AddColumn: {
                const TypeFacts type = TypeOf(change.type);
                state_.columns.push_back({change.columns[0], type, type, !change.notNull, true, false});
                break;
            }
            case K::AddPrimaryKey:
            case K::AddUnique:
                state_.keys.push_back({change.keyName.empty() ? "the primary key" : change.keyName,
                                       change.kind == K::AddPrimaryKey ? KeyFacts::PrimaryKey : KeyFacts::Unique,
                                       change.columns});
                break;
            default:
                break;
        }
    }

    const PlannedChanges& planned_;
    const QuestionDialect& dialect_;
    TableQuestion& question_;
    TableState state_;
};

// The columns an example names its row by: the primary key, else the
// first unique key, else the first column.
std::vector<std::string> ExampleKey(const TableFacts& facts) {
    for (auto kind : {KeyFacts::PrimaryKey, KeyFacts::Unique})
        for (const auto& key : facts.keys)
            if (key.kind == kind) return key.columns;
    if (!facts.columns.empty()) return {facts.columns.front().name};
    return {};
}

}  // namespace

CatalogueJudgement JudgeCatalogue(const PlannedChanges& planned, const CatalogueSnapshot& start,
                                  const std::optional<std::map<std::string, std::string>>& otherObjects,
                                  const std::string& whyNot) {
    CatalogueJudgement out;
    CatalogueWalk walk(start, otherObjects.value_or(std::map<std::string, std::string>{}));
    std::set<std::pair<std::size_t, std::string_view>> refused;  // a rule refuses a statement once
    const auto refuse = [&](std::size_t index, const CheckRule& rule, const RuleContext& context) {
        if (!refused.insert({index, rule.rule}).second) return;
        Refusal refusal = RefusalOf(planned, index, rule, RuleFields(context, {}));
        if (rule.unsure.empty()) {
            out.refusals.push_back(std::move(refusal));
            return;
        }
        // A catalogue rule that cannot tell: the statement is not judged.
        out.notJudged.push_back({.statementIndex = index, .step = refusal.step, .statement = refusal.statement,
                                 .rule = refusal.rule, .reason = refusal.reason, .advice = refusal.advice});
    };
    std::size_t next = 0;  // the first change of the statement being read
    for (std::size_t index = 0; index < planned.statements.size(); ++index) {
        for (; next < planned.changes.size() && planned.changes[next].index == index; ++next) {
            const PlannedChange& change = planned.changes[next];
            const NamedObject* object = walk.find(change.table);
            for (const auto& rule : CheckRules()) {
                if (rule.source != CheckRule::Catalogue || !RuleIsOn(rule, change.kind)) continue;
                RuleContext context{.change = change, .object = object};
                if (rule.subject != CheckRule::EachNamedColumn) {
                    if (rule.applies(context)) refuse(index, rule, context);
                    continue;
                }
                for (const auto& column : change.columns) {
                    context.missingColumn.reset();
                    if (object && !HasColumn(*object, column)) context.missingColumn = column;
                    if (rule.applies(context)) refuse(index, rule, context);
                }
            }
            const bool creates = change.kind == K::CreateTable || change.kind == K::CreateView;
            if (creates && !object && !otherObjects && change.guard != PlannedChange::IfObjectMissing) {
                const PlannedStatement& s = planned.statements[index];
                out.notJudged.push_back(
                    {.statementIndex = index, .step = s.step, .statement = s.sql, .rule = "another-kind",
                     .reason = fmt::format("whether a procedure, function or synonym already holds the name {} "
                                           "could not be asked: {}",
                                           change.table, whyNot),
                     .advice = "Look for an object of that name in the database before the upgrade."});
            }
            const bool refusedHere = std::any_of(out.refusals.begin(), out.refusals.end(),
                                                 [&](const Refusal& r) { return r.statementIndex == index; });
            if (AskedOfRows(change) && !refusedHere && object && object->kind == "table" &&
                walk.heldBeforeRun(change.table)) {
                out.rowChanges.push_back(next);
                if (std::none_of(out.touchedTables.begin(), out.touchedTables.end(),
                                 [&](const std::string& t) { return EqualIgnoringAsciiCase(t, change.table); }))
                    out.touchedTables.push_back(change.table);
            }
        }
        if (planned.stop && planned.stop->statementIndex == index &&
            std::none_of(out.refusals.begin(), out.refusals.end(),
                         [&](const Refusal& r) { return r.statementIndex == index; })) {
            const PlannedChange stopped{.index = index};
            for (const auto& rule : CheckRules()) {
                const RuleContext context{.change = stopped, .stopMessage = planned.stop->message};
                if (rule.on.empty() && rule.applies(context)) refuse(index, rule, context);
            }
        }
        walk.apply(planned.statements[index].sql);
    }
    return out;
}

std::vector<TableQuestion> DataQuestions(const PlannedChanges& planned, const CatalogueJudgement& judged,
                                         const Metadata& metadata, const QuestionDialect& dialect) {
    std::vector<TableQuestion> questions;
    for (const auto& table : judged.touchedTables) {
        const auto facts = metadata.tables.find(FoldAsciiCase(table));
        if (facts == metadata.tables.end()) continue;
        TableQuestion question{.table = facts->second.name, .exampleKey = ExampleKey(facts->second)};
        TableFollower follower(planned, facts->second, dialect, question);
        for (std::size_t i : judged.rowChanges)
            if (EqualIgnoringAsciiCase(planned.changes[i].table, table)) follower.follow(i);
        if (question.probes.empty() && question.warnings.empty()) continue;
        question.sql = DataSql(question, dialect);
        questions.push_back(std::move(question));
    }
    return questions;
}

}  // namespace orvel
