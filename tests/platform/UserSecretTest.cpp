// The remembered login's store: what it refuses, and the plain value an older
// installation left for every user. What it keeps, out of sight of other
// users, is the standard user's and the login route's test.
#include <gtest/gtest.h>

#include <string>

#include "platform/Registry.h"
#include "platform/UserSecret.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/TestEnvironment.h"

using namespace platform;
using namespace std::string_literals;

namespace {

const char* const kKey = tarntest::kUserLogKey;
const char* const kName = tarntest::kMostRecentlyUsed;
const std::string kPlain = "alice;wonderland1\0"s;

TEST(UserSecret, StoredBytesThatDoNotUnprotectReadAsNone) {
    const struct {
        const char* what;
        std::uint32_t type;
        std::string raw;
    } stored[] = {
        {"plain text", tarntest::kRegSz, kPlain},
        {"foreign binary", tarntest::kRegBinary, "\x01\x00\x00\x00garbage"s},
        {"empty", tarntest::kRegBinary, ""},
    };
    for (const auto& value : stored) {
        tarntest::SetUserRegistryValue(kKey, kName, value.type, value.raw);
        std::string bytes = "untouched";
        const bool loaded = LoadUserSecret(kKey, kName, bytes);
        // Where nothing is protected, the store gives back what it holds.
        EXPECT_EQ(loaded, !tarntest::kStoredLoginIsProtected) << value.what;
        EXPECT_EQ(bytes, loaded ? value.raw : "untouched") << value.what;
    }
}

// An older installation kept the login in plain text for the machine.
TEST(UserSecret, MachineWidePlainLoginIsTakenOverOnceAndDeletedWhereAllowed) {
    if (!tarntest::kStoredLoginIsProtected)
        GTEST_SKIP() << "this target keeps the login as typed in the user's own file";
    for (const bool denied : {false, true}) {
        tarntest::ResetRegistry();
        DenyMachineRegistryWrites(denied);
        tarntest::SetRegistryValue(kKey, kName, tarntest::kRegSz, kPlain);
        std::string bytes;
        ASSERT_TRUE(LoadUserSecret(kKey, kName, bytes)) << denied;
        EXPECT_EQ(bytes, kPlain);
        std::string stored;
        ASSERT_TRUE(tarntest::GetStoredLogin(stored)) << denied;
        EXPECT_EQ(stored, "alice;wonderland1");
        EXPECT_EQ(tarntest::GetRegistryValue(kKey, kName, bytes), denied) << denied;

        // From now on the user's value is the one; the machine's is not read again.
        tarntest::SetRegistryValue(kKey, kName, tarntest::kRegSz, "mallory;x\0"s);
        ASSERT_TRUE(LoadUserSecret(kKey, kName, bytes));
        EXPECT_EQ(bytes, kPlain);
        DenyMachineRegistryWrites(false);
    }
}

} // namespace
