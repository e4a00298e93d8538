// A step in one transaction: what reaches the connection around it, what
// error the caller gets, and what the catalogue picture answers afterwards.
#include <gtest/gtest.h>

#include "upgrade/WholeSteps.h"
#include "schema/CatalogueSimulator.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

// The simulator behind a connection that takes the transaction statements,
// refuses the statements it is told to and counts whole-catalogue reads.
class TransactionalConnection : public CatalogueSimulator {
public:
    using CatalogueSimulator::CatalogueSimulator;

    Strings sent;
    Strings refused;
    int catalogueReads = 0;

    CatalogueListing readCatalogue() override {
        ++catalogueReads;
        return CatalogueSimulator::readCatalogue();
    }

protected:
    void doExecute(const std::string& sql) override {
        sent.push_back(sql);
        if (std::find(refused.begin(), refused.end(), sql) != refused.end())
            throw DatabaseError("E_FAIL", "refused: " + sql);
        if (sql == kBeginStepTransaction || sql == kCommitStepTransaction || sql == kRollBackStepTransaction) return;
        CatalogueSimulator::doExecute(sql);
    }
};

TEST(WholeSteps, CommitsAStepThatEndsAndRollsBackOneThatFailsWithThePictureAsBeforeIt) {
    const std::string create = "create table dbo.A( ID  integer)";
    const std::string add = "ALTER TABLE A ADD B int";
    const struct {
        const char* what;
        Strings refused;
        Strings sent;
        std::optional<std::string> error;  // what the caller gets
        Strings tablesAfter;               // as the picture answers
    } cases[] = {
        {"a step that ends is committed", {}, {kBeginStepTransaction, create, add, kCommitStepTransaction}, {},
         {"T", "A"}},
        {"a step refused at its last statement is rolled back",
         {add},
         {kBeginStepTransaction, create, add, kRollBackStepTransaction},
         "refused: " + add,
         {"T"}},
        {"a refused commit is rolled back",
         {kCommitStepTransaction},
         {kBeginStepTransaction, create, add, kCommitStepTransaction, kRollBackStepTransaction},
         std::string("refused: ") + kCommitStepTransaction,
         {"T"}},
        {"a rollback that fails too (the connection is gone) leaves the step's own error",
         {add, kRollBackStepTransaction},
         {kBeginStepTransaction, create, add, kRollBackStepTransaction},
         "refused: " + add,
         {"T"}},
    };
    for (const auto& c : cases) {
        TransactionalConnection connection(CatalogueSnapshot{{{"T", {"ID"}}}, {}});
        connection.open("server");
        connection.refused = c.refused;
        CataloguePicture picture(connection);
        ASSERT_EQ(picture.tableNames(), Strings{"T"});
        std::optional<std::string> error;
        try {
            RunAsOneTransaction(connection, picture, [&] {
                picture.execute(create);
                picture.execute(add);
            });
        } catch (const DatabaseError& e) {
            error = e.what();
        }
        EXPECT_EQ(connection.sent, c.sent) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        // The picture answers without reading again: after a rollback it
        // holds what it held before the step.
        EXPECT_EQ(picture.tableNames(), c.tablesAfter) << c.what;
        EXPECT_EQ(connection.catalogueReads, 1) << c.what;
    }
}

}  // namespace
}  // namespace orvel
