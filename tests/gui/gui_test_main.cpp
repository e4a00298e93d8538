// Window test entry point.  The QApplication is created only when tests run
// (not when CTest lists them), so listing needs no display; the tests run on
// the offscreen platform that CTest sets.
#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

#include "upgrade/Platform.h"
#include "app/gui/WindowLook.h"

namespace {

class QtApplication : public testing::Environment {
public:
    void SetUp() override {
        application_ = std::make_unique<QApplication>(argc_, argv_);
        orvel::UseUtf8Locale();
        orvel::UseProgramLook();
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "orvel_gui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new QtApplication);
    return RUN_ALL_TESTS();
}
