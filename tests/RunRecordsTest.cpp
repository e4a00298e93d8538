// The records of runs and query-window openings, written by the run driver
// and the query runner on the simulator: what a record holds for a success,
// a failure at each stage, a query window; that aborted attempts leave none;
// that a folder that cannot be written changes nothing about the run; that
// the newest 200 are kept; and that no password reaches a record.
#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <set>
#include <thread>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "upgrade/Messages.h"
#include "upgrade/RecordedOpening.h"
#include "upgrade/RunDriver.h"
#include "upgrade/SafetyCopy.h"
#include "query/QueryRunner.h"

namespace orvel {
namespace {

using Json = nlohmann::json;
using Strings = std::vector<std::string>;

std::vector<Json> jsonLines(const std::filesystem::path& file) {
    std::vector<Json> lines;
    for (const auto& line : test::ReadLines(file)) lines.push_back(Json::parse(line));
    return lines;
}

struct RecordsFixture {
    // Records kept in `folder`, by default a fresh one.
    explicit RecordsFixture(const std::optional<std::filesystem::path>& folder = {})
        : records(folder ? *folder : recordsDir.path() / "records", "orvel-test", warnTo(warnings)) {
        system.directory = settingsDir.path();
        dialog.answer = "/data/pelsa.mdb";
    }

    static RecordWarning warnTo(Strings& warnings) {
        return [&warnings](const std::string& message) { warnings.push_back(message); };
    }

    // Start pressed with these choices.
    void pressStart(RunOptions chosen) {
        options.edit() = chosen;
        RunDriver driver(db, progress, registry(), options, &records);
        driver.onStatementSent = [this](const StatementRecord& record) { logLines.push_back(ToLogLine(record)); };
        driver.onStepStarted = [this](const std::string& step) {
            if (beforeStep) beforeStep(step);
        };
        driver.BitBtn2Click(settings);
    }

    // The only record there is.
    std::filesystem::path onlyRecord() const {
        const auto kept = records.list();
        if (kept.size() != 1) throw std::logic_error("expected one record, found " + std::to_string(kept.size()));
        return *records.fileOf(kept.front().id);
    }

    static const StepRegistry& registry() {
        static const StepRegistry built = BuildStepRegistry();
        return built;
    }

    test::TempDir recordsDir, settingsDir;
    Strings warnings;
    RunRecords records;
    test::FakeSystem system;
    test::ScriptedDialog dialog;
    ConnectionSettings settings{system, dialog};
    CatalogueSimulator db;
    test::RecordingDisplay display;
    Progress progress{display};
    FixedOptions options;
    std::vector<std::string> logLines;
    std::function<void(const std::string&)> beforeStep;
};

constexpr int kPelsa = 2, kMornale = 4;

TEST(RunRecords, ASuccessfulRunHoldsTheAttemptEveryStatementAsLoggedAndTheResult) {
    RecordsFixture f;
    f.pressStart({kPelsa});
    ASSERT_EQ(f.display.successMessages.size(), 1u);

    const auto kept = f.records.list();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept.front().id.ends_with("-Pelsa")) << kept.front().id;
    EXPECT_EQ(kept.front().result, "success");
    EXPECT_EQ(kept.front().statements, 181u);

    const auto file = f.onlyRecord();
    const auto lines = test::ReadLines(file);
    ASSERT_EQ(lines.size(), 1u + 1u + 1u + 181u + 1u);
    const Json header = Json::parse(lines.front());
    const Json expectedHeader = {
        {"record", "run"}, {"program", "orvel-test"}, {"version", kProgramVersion}, {"product", "Pelsa"},
        {"databaseKind", "SQL Server"}, {"serverVersion", "SQL 2008"}, {"local", false}, {"web", false},
        {"connectionText", "built"}, {"server", "WORKSTATION7\\SQLEXPRESS"}, {"catalog", "Pelsa"}};
    for (const auto& [key, value] : expectedHeader.items()) EXPECT_EQ(header[key], value) << key;
    EXPECT_EQ(header["start"].get<std::string>().size(), 25u) << header["start"];

    // The run lock's note: the simulator gives no lock.  Then what the run
    // changes.
    EXPECT_TRUE(Json::parse(lines[1])["note"].get<std::string>().starts_with("no run lock: ")) << lines[1];
    EXPECT_EQ(Json::parse(lines[2])["target"]["database"], "Pelsa") << lines[2];

    // Each statement line is the --log line, duration included.
    const Strings statementLines(lines.begin() + 3, lines.end() - 1);
    Strings logged;
    for (const auto& line : f.logLines) logged.push_back(line.substr(0, line.size() - 1));
    EXPECT_EQ(statementLines, logged);
    EXPECT_EQ(Json::parse(statementLines.front())["step"], "TCapability");
    EXPECT_TRUE(Json::parse(statementLines.front())["ms"].is_number());

    const Json result = Json::parse(lines.back());
    EXPECT_EQ(result["result"], "success");
    EXPECT_EQ(result["statements"], 181);
    EXPECT_GE(result["seconds"].get<double>(), 0.0);
    EXPECT_TRUE(f.warnings.empty());
}

// The safety copy, made when the connection opens, is named after the run
// lock's note (the lock is taken before the connection opens) and before
// the target; none of them is a statement of the run.
TEST(RunRecords, ASafetyCopyIsNamedBeforeTheStatementsAndIsNotCountedAsOne) {
    RecordsFixture f;
    test::TempDir files;
    files.write("pelsa.mdb", "data");
    f.dialog.answer = (files.path() / "pelsa.mdb").string();
    f.options.edit() = {kPelsa, DatabaseKind::Access};
    SafetyCopyingDatabase copying(f.db, "");
    RunDriver driver(copying, f.progress, RecordsFixture::registry(), f.options, &f.records);
    driver.onStatementSent = [&f](const StatementRecord& record) { f.logLines.push_back(ToLogLine(record)); };
    driver.onConnectionOpened = [&copying](RecordWriter& record) {
        if (copying.made()) record.note(SafetyCopyJson(*copying.made()));
    };
    driver.BitBtn2Click(f.settings);

    ASSERT_TRUE(copying.made());
    const auto lines = test::ReadLines(f.onlyRecord());
    const std::size_t statements = f.logLines.size();
    ASSERT_GT(statements, 0u);
    ASSERT_EQ(lines.size(), 1u + 1u + 1u + 1u + statements + 1u);
    EXPECT_TRUE(Json::parse(lines[1]).contains("note"));
    EXPECT_EQ(Json::parse(lines[2]), Json::parse(SafetyCopyJson(*copying.made()).dump()));
    EXPECT_TRUE(Json::parse(lines[3]).contains("target"));
    EXPECT_EQ(Json::parse(lines[4])["step"], "TCapability");
    EXPECT_EQ(f.records.list().front().statements, statements);
    EXPECT_EQ(Json::parse(lines.back())["statements"], statements);
}

TEST(RunRecords, AFailedRunSaysWhereItStoppedWithTheErrorsClassAndMessage) {
    const struct {
        const char* what;
        int product;
        std::function<void(RecordsFixture&)> arrange;
        const char* stoppedIn;
        const char* errorClass;
        std::string message;
    } cases[] = {
        {"a statement of a step", kPelsa,
         [](RecordsFixture& f) { f.db.failStatementsContaining("dbo.Tsetting(", "There is already an object"); },
         "TSetting", "SimulatedDatabaseError", "There is already an object"},
        {"opening the connection", kPelsa,
         [](RecordsFixture& f) { f.db.failNextOpen("Login failed for user 'u'"); }, kStageOpening,
         "SimulatedDatabaseError", "Login failed for user 'u'"},
        {"a reconnect", kMornale,
         [](RecordsFixture& f) {
             f.beforeStep = [&f](const std::string& step) {
                 if (step == "A_KHarid_Kala_R") f.db.failNextOpen("The server went away");
             };
         },
         "reconnecting after A_KHarid_Kala_R", "SimulatedDatabaseError", "The server went away"},
        {"the settings", kPelsa,
         [](RecordsFixture& f) { std::filesystem::create_directory(f.settingsDir.path() / kServerNameFile); },
         kStageSettings, "Error", "ServerName.txt"},
    };
    for (const auto& c : cases) {
        RecordsFixture f;
        c.arrange(f);
        std::string thrown;
        try {
            f.pressStart({c.product});
            ADD_FAILURE() << c.what << ": the run did not fail";
        } catch (const std::exception& e) {
            thrown = e.what();
        }
        EXPECT_NE(thrown.find(c.message), std::string::npos) << c.what << ": " << thrown;

        const auto lines = jsonLines(f.onlyRecord());
        const Json& result = lines.back();
        EXPECT_EQ(result["result"], "failed") << c.what;
        EXPECT_EQ(result["stoppedIn"], c.stoppedIn) << c.what;
        EXPECT_EQ(result["errorClass"], c.errorClass) << c.what;
        EXPECT_EQ(result["message"], thrown) << c.what;
        const auto statementLines =
            std::count_if(lines.begin(), lines.end(), [](const Json& line) { return line.contains("sql"); });
        EXPECT_EQ(result["statements"], statementLines) << c.what;
        EXPECT_EQ(f.records.list().front().stoppedIn, c.stoppedIn) << c.what;
        if (std::string(c.stoppedIn) == "TSetting") {
            const Json& failing = lines[lines.size() - 2];
            EXPECT_EQ(failing["step"], "TSetting");
            EXPECT_EQ(failing["error"], "There is already an object");
            EXPECT_EQ(failing["sql"], f.db.statements().back().sql);
        }
        if (std::string(c.stoppedIn) == kStageSettings) {
            EXPECT_EQ(lines.front()["server"], nullptr);
        }
    }
}

TEST(RunRecords, AnAbortedAttemptLeavesNoRecord) {
    for (const RunOptions chosen : {RunOptions{kPelsa, DatabaseKind::Oracle}, RunOptions{kPelsa, DatabaseKind::Access}}) {
        RecordsFixture f;
        f.dialog.answer.reset();
        f.pressStart(chosen);
        EXPECT_TRUE(f.records.list().empty());
        EXPECT_FALSE(f.db.isOpen());
    }
}

TEST(RunRecords, AFolderThatCannotBeWrittenCostsOneWarningAndChangesNothingElse) {
    test::TempDir dir;
    dir.write("a-file", "");
    const auto unwritable = dir.path() / "a-file" / "records";
    const struct {
        const char* what;
        std::function<void(RecordsFixture&)> arrange;
        const char* outcomeStart;
    } cases[] = {
        {"success", [](RecordsFixture&) {}, "success messages 1"},
        {"failure", [](RecordsFixture& f) { f.db.failStatementsContaining("dbo.yollar(", "refused"); },
         "failed: refused"},
    };
    for (const auto& c : cases) {
        // The same run with a writable folder and with one that cannot be made.
        std::vector<std::string> outcomes;
        std::vector<std::size_t> warnings;
        for (const bool writable : {true, false}) {
            test::TempDir good;
            RecordsFixture f(writable ? good.path() / "records" : unwritable);
            c.arrange(f);
            std::string outcome;
            try {
                f.pressStart({kPelsa});
                outcome = "success messages " + std::to_string(f.display.successMessages.size());
            } catch (const std::exception& e) {
                outcome = std::string("failed: ") + e.what();
            }
            outcome += ", statements " + std::to_string(f.db.statements().size()) + ", focus moves " +
                       std::to_string(f.display.focusMoves) + ", overall at " +
                       std::to_string(f.progress.overallGauge().position());
            outcomes.push_back(outcome);
            warnings.push_back(f.warnings.size());
            if (!writable && !f.warnings.empty()) {
                EXPECT_NE(f.warnings.front().find(unwritable.string()), std::string::npos) << f.warnings.front();
            }
        }
        EXPECT_TRUE(outcomes[0].starts_with(c.outcomeStart)) << outcomes[0];
        EXPECT_EQ(outcomes[0], outcomes[1]) << c.what;
        EXPECT_EQ(warnings, (std::vector<std::size_t>{0, 1})) << c.what;
    }
}

TEST(RunRecords, KeepsTheNewest200AndNothingElseIsTouched) {
    test::TempDir dir;
    // 198 older records, three of one second (told apart by their numbers,
    // "-10" the newest of them), and files that are not records.
    for (int i = 0; i < 198; ++i) dir.write(fmt::format("20200101-{:06}-Pelsa.jsonl", i), "{}\n");
    for (const char* id : {"20100101-000000-Pelsa", "20100101-000000-Pelsa-2", "20100101-000000-Pelsa-10"})
        dir.write(std::string(id) + ".jsonl", "{}\n");
    dir.write("notes.txt", "kept");
    dir.write("20000101-000000-Pelsa.json", "kept");

    const RunRecords records(dir.path(), "orvel-test");
    RecordWriter record = records.start({RecordKind::Run, "Velora"});
    ASSERT_FALSE(record.id().empty());

    const auto kept = records.list();
    ASSERT_EQ(kept.size(), kRecordsKept);
    EXPECT_EQ(kept.front().id, record.id()) << "newest first";
    EXPECT_EQ(kept.back().id, "20100101-000000-Pelsa-10");
    EXPECT_FALSE(records.fileOf("20100101-000000-Pelsa-2"));
    EXPECT_FALSE(records.fileOf("20100101-000000-Pelsa"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "notes.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "20000101-000000-Pelsa.json"));
}

TEST(RunRecords, RecordsStartedAtOnceEachHaveAFileOfTheirOwn) {
    // Runs of one product started in the same second, as by two programs at
    // once, must not write into one file.
    test::TempDir dir;
    const RunRecords records(dir.path(), "orvel-test");
    constexpr int kRuns = 12;
    std::latch ready(kRuns);
    std::vector<std::string> ids(kRuns);
    {
        std::vector<std::jthread> runs;
        for (int i = 0; i < kRuns; ++i)
            runs.emplace_back([&, i] {
                ready.arrive_and_wait();
                RecordWriter record = records.start({RecordKind::Run, "Pelsa"});
                ids[i] = record.id();
                record.succeeded();
            });
    }
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), std::size_t{kRuns});
    for (const auto& kept : records.list()) {
        const auto lines = jsonLines(*records.fileOf(kept.id));
        ASSERT_EQ(lines.size(), 2u) << kept.id;
        EXPECT_EQ(lines[1].value("result", ""), "success") << kept.id;
    }
    EXPECT_EQ(records.list().size(), std::size_t{kRuns});
}

TEST(RunRecords, ListsResultsAndRecordsWithoutALastLineAsUnfinished) {
    RecordsFixture f;
    const RecordWriter unfinished = f.records.start({RecordKind::Run, "Kestin"});
    std::ofstream(f.records.folder() / "20200101-000000-damaged.jsonl")
        << "{\"record\": 1, \"product\": [\"Zorbex\"]}\nnot JSON\n{\"result\": 2, \"statements\": \"x\"}\n";
    f.pressStart({kPelsa});
    f.db.failStatementsContaining("dbo.P_Kala(", "refused");
    EXPECT_THROW(f.pressStart({kMornale}), DatabaseError);

    std::map<std::string, std::tuple<std::string, std::string, std::string, std::size_t>> listed;
    for (const auto& s : f.records.list()) listed[s.product] = {s.kind, s.result, s.stoppedIn, s.statements};
    EXPECT_EQ(listed["Kestin"], std::make_tuple("run", "unfinished", "", 0u));
    EXPECT_EQ(listed[""], std::make_tuple("", "", "", 0u)) << "a damaged record is listed, not refused";
    EXPECT_EQ(listed["Pelsa"], std::make_tuple("run", "success", "", 181u));
    EXPECT_EQ(std::get<1>(listed["Mornale"]), "failed");
    EXPECT_EQ(std::get<2>(listed["Mornale"]), "P_Kala_R");
    EXPECT_FALSE(f.records.fileOf("../" + unfinished.id()));
    EXPECT_TRUE(f.records.fileOf(unfinished.id() + ".jsonl"));
}

TEST(RunRecords, AQueryWindowOpeningIsOneRecordOfEachTextWithItsAnswer) {
    RecordsFixture f;
    f.db.failStatementsContaining("Nowhere", "Invalid object name 'Nowhere'");
    QueryRunner runner(f.db, &f.records);
    ASSERT_TRUE(runner.open(f.settings, {0}));
    const Strings texts = {"update P_INFO set X = 1\r\nselect 1", "", "select * from Nowhere"};
    Strings shown;
    for (const auto& text : texts) shown.push_back(runner.run(text).message);
    runner.close();

    const auto kept = f.records.list();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept.front().id.ends_with("-Velora-query")) << kept.front().id;
    EXPECT_EQ(kept.front().result, "closed");
    const auto lines = jsonLines(f.onlyRecord());
    ASSERT_EQ(lines.size(), 1 + texts.size() + 1);
    EXPECT_EQ(lines.front()["record"], "query");
    EXPECT_EQ(lines.front()["catalog"], "Velora");
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(lines[1 + i]["sql"], texts[i]);
        EXPECT_EQ(lines[1 + i]["answer"], shown[i]);
        EXPECT_EQ(lines[1 + i]["step"], nullptr);
    }
    EXPECT_EQ(shown[0], kQuerySucceededMessage);
    EXPECT_FALSE(lines[1].contains("error"));
    EXPECT_EQ(lines[2]["error"], "Command text was not set for the command object");
    EXPECT_EQ(lines[3]["error"], "Invalid object name 'Nowhere'");
    EXPECT_EQ(lines.back()["result"], "closed");
    EXPECT_EQ(lines.back()["statements"], 3);

    // Each opening is a record of its own.
    ASSERT_TRUE(runner.open(f.settings, {0}));
    runner.close();
    EXPECT_EQ(f.records.list().size(), 2u);
}

TEST(RunRecords, NoPasswordReachesARecord) {
    const std::string hostedPassword = "Hosted}Pw 1";
    const std::string typedPassword = "N3w{pw";
    RecordsFixture f;
    f.settingsDir.write(kRemoteConnectionsFile,
                        Json{{"Tamrix2Hosted",
                              {{"Password", hostedPassword}, {"User ID", "t2"}, {"Initial Catalog", "T2"},
                               {"Data Source", "192.0.2.10"}}}}
                            .dump());
    const struct {
        const char* what;
        RunOptions options;
        std::string password;
    } cases[] = {{"hosted", {1}, hostedPassword}, {"Access", {kPelsa, DatabaseKind::Access}, kAccessDatabasePassword}};
    for (const auto& c : cases) {
        f.options.edit() = c.options;
        ASSERT_TRUE(f.settings.Prepare(c.options));
        // A driver that quotes the connection text in its message.
        f.db.failNextOpen("Cannot open \"" + f.settings.ConnectionText() + "\"");
        EXPECT_THROW(f.pressStart(c.options), DatabaseError) << c.what;
    }
    QueryRunner runner(f.db, &f.records);
    ASSERT_TRUE(runner.open(f.settings, {1}));
    runner.run("ALTER LOGIN t2 WITH PASSWORD = '" + typedPassword + "'");
    runner.close();

    ASSERT_EQ(f.records.list().size(), 3u);
    for (const auto& kept : f.records.list()) {
        std::ifstream in(*f.records.fileOf(kept.id), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        for (const auto& password : {hostedPassword, std::string(kAccessDatabasePassword), typedPassword})
            EXPECT_EQ(text.find(password), std::string::npos) << kept.id << ":\n" << text;
    }
}

}  // namespace
}  // namespace orvel
