// The registry calls the library makes, with the results Windows gives. What
// other programs see of the values is the customer settings tests'.
#include <gtest/gtest.h>

#include <string>

#include "platform/Registry.h"
#include "tests/support/RegistryValues.h"

using namespace platform;

namespace {

const char* const kConfig = tarntest::kConfigKey;

std::int32_t Set(RegKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return key.SetValue(name.c_str(), type, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size()));
}

} // namespace

// Whether a key was created is the customer settings tests' (the servlet
// names are written only then).
TEST(Registry, KeysAndValuesIgnoreCaseAndValuesKeepTheirTypeAndExactBytes) {
    RegKey key;
    EXPECT_EQ(RegNotFound, key.Open(kConfig, RegRead));
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr)); // with its ancestors
    const struct {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    } values[] = {{.name = "Blob", .type = RegBinary, .bytes = std::string("\x00\x01\xFF\x80\x00zz\x00", 8)},
                  {.name = "Empty", .type = RegBinary, .bytes = ""}};
    for (const auto& v : values)
        ASSERT_EQ(RegOk, Set(key, v.name, v.type, v.bytes)) << v.name;
    // The size alone first, as the library reads, then the bytes.
    for (const auto& v : values) {
        unsigned char data[32] = {};
        std::uint32_t type = 0, size = 0;
        ASSERT_EQ(RegOk, key.QueryValue(v.name, &type, nullptr, &size)) << v.name;
        ASSERT_EQ(RegOk, key.QueryValue(v.name, &type, data, &size)) << v.name;
        EXPECT_EQ(v.bytes, std::string(data, data + size)) << v.name;
        EXPECT_EQ(v.type, type) << v.name;
    }
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(RegNotFound, key.QueryValue("Missing", &type, nullptr, &size));

    // Names ignore letter case; writing again replaces type and bytes.
    const std::string text("012345678\0", 10); // with its terminator, as Windows would add one
    ASSERT_EQ(RegOk, Set(key, "bLOB", RegSz, text));
    unsigned char data[16] = {};
    size = 4;
    EXPECT_EQ(RegMoreData, key.QueryValue("Blob", &type, data, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(std::uint32_t(RegSz), type);
    ASSERT_EQ(RegOk, key.QueryValue("Blob", nullptr, data, &size));
    EXPECT_EQ(text, std::string(data, data + size));

    RegKey reader;
    ASSERT_EQ(RegOk, reader.Open("software\\ORVANE\\tarn\\CONFIG", RegRead));
    EXPECT_EQ(RegAccessDenied, Set(reader, "Value", RegBinary, "x"));
}
