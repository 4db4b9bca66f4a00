#include <gtest/gtest.h>

#include "tests/support/TestEnvironment.h"

namespace {

class FreshRegistry : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { tarntest::ResetRegistry(); }
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tarntest::LoadLibraryModule();
    testing::UnitTest::GetInstance()->listeners().Append(new FreshRegistry);
    return RUN_ALL_TESTS();
}
