// The user's choices on the main window, and how the core reads them.
//
// The window reads its controls at the moment a value is needed (the
// database kind by the schema operations, "Web" at each reconnect point of
// the insurance-office run), so the core asks an OptionsSource each time
// instead of copying the options once.
#pragma once

#include "database/DatabaseKind.h"

namespace orvel {

enum class ServerVersion { Sql2000 = 0, Sql2005 = 1, Sql2008 = 2, Sql2012 = 3 };

struct RunOptions {
    int productEntry = 0;                                 // RadioGroup1, 0..6
    DatabaseKind databaseKind = DatabaseKind::SqlServer;  // RadioButton1..3
    ServerVersion serverVersion = ServerVersion::Sql2008; // RadioGroup2
    bool local = false;                                   // CheckBox9
    bool web = false;                                     // CheckWeb
};

class OptionsSource {
public:
    virtual ~OptionsSource() = default;
    virtual RunOptions options() const = 0;
};

// Options that do not change during a run: the command line, tests.
class FixedOptions : public OptionsSource {
public:
    explicit FixedOptions(RunOptions options = {}) : options_(options) {}
    RunOptions options() const override { return options_; }
    RunOptions& edit() noexcept { return options_; }

private:
    RunOptions options_;
};

}  // namespace orvel
