// Small doubles shared by the core tests: a display that remembers what it
// was told, a machine with a chosen name and directory, a scripted file
// dialog, a run of steps against the simulator, temporary directories and
// environment variables.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/Platform.h"
#include "upgrade/RunOptions.h"
#include "schema/CatalogueSimulator.h"
#include "schema/Progress.h"
#include "schema/SchemaOperations.h"

namespace orvel::test {

class RecordingDisplay : public ProgressDisplay {
public:
    std::vector<std::string> tableNames, fieldNames;
    std::vector<Gauge> tableGauges, overallGauges;
    int focusMoves = 0;
    std::vector<std::string> successMessages;

    void tableNameChanged(std::string_view name) override { tableNames.emplace_back(name); }
    void fieldNameChanged(std::string_view name) override { fieldNames.emplace_back(name); }
    void tableGaugeChanged(const Gauge& gauge) override { tableGauges.push_back(gauge); }
    void overallGaugeChanged(const Gauge& gauge) override { overallGauges.push_back(gauge); }
    void focusExitButton() override { ++focusMoves; }
    void showSuccessMessage(const std::string& message) override { successMessages.push_back(message); }
};

class FakeSystem : public SystemInfo {
public:
    std::string name = "WORKSTATION7";
    std::filesystem::path directory;

    std::string computerName() const override { return name; }
    std::filesystem::path programDirectory() const override { return directory; }
};

class ScriptedDialog : public AccessFileDialog {
public:
    std::optional<std::string> answer;
    std::vector<std::string> filtersShown;

    std::optional<std::string> chooseFile(const std::string& filter) override {
        filtersShown.push_back(filter);
        return answer;
    }
};

// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& content) const {
        std::ofstream(path_ / name, std::ios::binary) << content;
    }

private:
    std::filesystem::path path_;
};

// An environment variable set (or, with nothing, removed) for the life of
// the object; programs the test starts inherit it.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> before_;
};

// The lines of a text file.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// Schema operations on an open simulator with a chosen database kind.
struct SimulatedRun {
    explicit SimulatedRun(CatalogueSnapshot catalogue = {}, DatabaseKind kind = DatabaseKind::SqlServer)
        : db(std::move(catalogue)), options(RunOptions{0, kind}), progress(display),
          schema(db, progress, [this] { return options.options().databaseKind; }) {
        db.open("test");
    }

    std::vector<std::string> sent() const {
        std::vector<std::string> texts;
        for (const auto& s : db.statements()) texts.push_back(s.sql);
        return texts;
    }

    CatalogueSimulator db;
    FixedOptions options;
    RecordingDisplay display;
    Progress progress;
    SchemaOperations schema;
};

}  // namespace orvel::test
