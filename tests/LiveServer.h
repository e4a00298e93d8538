// The live server the opt-in suites run against, and a database of one
// test's own on it.
//
// ORVEL_TEST_ODBC is an ODBC connection string that signs in to a server
// allowed to create databases (no database named).  Without it the live
// suites skip.  Each test works in a ScratchDatabase, created under a name
// no other run uses and dropped when the test ends, failed or not.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel::test {

// ORVEL_TEST_ODBC; nothing when it is not set.
std::optional<std::string> LiveServerConnection();

// A database created for one test on the live server and dropped when this
// object goes.
class ScratchDatabase {
public:
    explicit ScratchDatabase(std::string_view prefix);  // creates <prefix><unique suffix>
    ~ScratchDatabase();                                  // drops it
    ScratchDatabase(const ScratchDatabase&) = delete;
    ScratchDatabase& operator=(const ScratchDatabase&) = delete;

    const std::string& name() const { return name_; }
    std::string connectionString() const;  // ORVEL_TEST_ODBC + ";Database=" + name

private:
    std::string server_;
    std::string name_;
};

}  // namespace orvel::test
