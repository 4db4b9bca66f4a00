// The registry calls the library makes, with the results Windows gives. What
// other programs see of the values is the customer settings tests'.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tests/support/RegistryValues.h"

using namespace platform;

namespace {

const char* const kConfig = tarntest::kConfigKey;

std::int32_t Set(RegKey& key, const std::string& name, std::uint32_t type, const std::string& bytes) {
    return key.SetValue(name.c_str(), type, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size()));
}

// Reads a value the way the library does: the size first, then the bytes.
std::int32_t Get(RegKey& key, const std::string& name, std::string& bytes, std::uint32_t* type = nullptr) {
    std::uint32_t size = 0;
    std::int32_t result = key.QueryValue(name.c_str(), type, nullptr, &size);
    if (result != RegOk)
        return result;
    std::vector<unsigned char> data(size + 1);
    result = key.QueryValue(name.c_str(), type, data.data(), &size);
    bytes.assign(data.begin(), data.begin() + size);
    return result;
}

} // namespace

TEST(Registry, KeysAreCreatedWithTheirAncestorsAndOpenedInAnyCase) {
    RegKey key;
    EXPECT_EQ(RegNotFound, key.Open(kConfig, RegRead));
    EXPECT_FALSE(key.IsOpen());
    tarntest::CreateRegistryKey("Software\\Orvane\\Tarn");
    EXPECT_EQ(RegNotFound, key.Open(kConfig, RegRead));
    EXPECT_EQ(RegOk, key.Open("software\\ORVANE\\tarn", RegRead));
    EXPECT_TRUE(key.IsOpen());

    bool created = false;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config\\CMS Servlet Names", RegWrite, &created));
    EXPECT_TRUE(created);
    ASSERT_EQ(RegOk, key.CreateOrOpen("SOFTWARE\\orvane\\TARN\\config", RegRead, &created));
    EXPECT_FALSE(created);
    EXPECT_EQ(RegOk, key.CreateOrOpen(kConfig, RegRead, nullptr));
}

TEST(Registry, ValuesKeepTheirTypeAndExactBytes) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr));
    const struct {
        const char* name;
        std::uint32_t type;
        std::string bytes;
    } values[] = {{"QAS Address", RegSz, std::string("127.0.0.1:8080\0", 15)},
                  {"Blob", RegBinary, std::string("\x00\x01\xFF\x80\x00zz\x00", 8)},
                  {"Count", RegDword, std::string("\x2A\x00\x00\x00", 4)},
                  {"Empty", RegBinary, ""}};
    for (const auto& v : values)
        ASSERT_EQ(RegOk, Set(key, v.name, v.type, v.bytes)) << v.name;
    for (const auto& v : values) {
        std::string bytes;
        std::uint32_t type = 0;
        ASSERT_EQ(RegOk, Get(key, v.name, bytes, &type)) << v.name;
        EXPECT_EQ(v.bytes, bytes) << v.name;
        EXPECT_EQ(v.type, type) << v.name;
    }
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(RegNotFound, key.QueryValue("Missing", &type, nullptr, &size));

    // Names ignore letter case; writing again replaces type and bytes.
    ASSERT_EQ(RegOk, Set(key, "qas ADDRESS", RegBinary, "0123456789"));
    unsigned char data[16] = {};
    size = 4;
    EXPECT_EQ(RegMoreData, key.QueryValue("QAS Address", &type, data, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(std::uint32_t(RegBinary), type);
    ASSERT_EQ(RegOk, key.QueryValue("QAS Address", nullptr, data, &size));
    EXPECT_EQ("0123456789", std::string(data, data + size));

    RegKey reader;
    ASSERT_EQ(RegOk, reader.Open(kConfig, RegRead));
    EXPECT_EQ(RegAccessDenied, Set(reader, "Value", RegBinary, "x"));
}
