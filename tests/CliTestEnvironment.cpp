// What every run of orvel-updater-cli in the command-line tests inherits:
// the records of its runs go to a folder of this test program's own, never
// to the user's, and an ODBC string in the user's environment (ORVEL_ODBC)
// does not change what the tests run against.  Tests that look at records
// name a folder of their own on top of this.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "TestSupport.h"

namespace orvel::test {
namespace {

class CliTestEnvironment : public testing::Environment {
public:
    void SetUp() override {
        state_ = std::make_unique<TempDir>();
        setenv("XDG_STATE_HOME", state_->path().c_str(), 1);
        unsetenv("ORVEL_ODBC");
    }
    void TearDown() override { state_.reset(); }

private:
    std::unique_ptr<TempDir> state_;
};

[[maybe_unused]] testing::Environment* const kRegistered = testing::AddGlobalTestEnvironment(new CliTestEnvironment);

}  // namespace
}  // namespace orvel::test
