// Every test binary starts on a fresh, empty device so tests never touch a user's
// data and can run side by side.
#include "tests/support/TestFolders.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    vantrel::test::useFreshDevice();
    return RUN_ALL_TESTS();
}
