// Test entry point: the process runs in a UTF-8 locale, as the programs do.
#include <gtest/gtest.h>

#include "upgrade/Platform.h"

int main(int argc, char** argv) {
    orvel::UseUtf8Locale();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
