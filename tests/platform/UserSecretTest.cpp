// The remembered login's store: the plain value an older installation left
// for every user. What it keeps, out of sight of other users, is the standard
// user's and the login route's test.
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

// An older installation kept the login in plain text for the machine, where
// any user may read it. It is moved into the user's protected value only
// where the user may delete it there at once; otherwise another user's
// login is neither proposed nor copied.
TEST(UserSecret, MachineWidePlainLoginIsMovedOnlyWhereItCanBeDeletedThere) {
    if (!tarntest::kStoredLoginIsProtected)
        GTEST_SKIP() << "this target keeps the login as typed in the user's own file";
    const struct {
        const char* what;
        bool mayDelete;
    } cases[] = {
        {.what = "an administrator", .mayDelete = true},
        {.what = "a standard user", .mayDelete = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tarntest::ResetRegistry();
        DenyMachineRegistryWrites(!c.mayDelete);
        tarntest::SetRegistryValue(kKey, kName, tarntest::kRegSz, kPlain);
        std::string bytes;
        EXPECT_EQ(c.mayDelete, LoadUserSecret(kKey, kName, bytes));
        EXPECT_EQ(bytes, c.mayDelete ? kPlain : "");
        std::string stored;
        EXPECT_EQ(c.mayDelete, tarntest::GetStoredLogin(stored));
        EXPECT_EQ(stored, c.mayDelete ? "alice;wonderland1" : "");
        std::string left;
        EXPECT_EQ(!c.mayDelete, tarntest::GetRegistryValue(kKey, kName, left));

        // From now on the user's own value (or none) is the one; the machine's is not read again.
        tarntest::SetRegistryValue(kKey, kName, tarntest::kRegSz, "mallory;x\0"s);
        bytes.clear();
        EXPECT_EQ(c.mayDelete, LoadUserSecret(kKey, kName, bytes));
        EXPECT_EQ(bytes, c.mayDelete ? kPlain : "");
        DenyMachineRegistryWrites(false);
    }
}

} // namespace
