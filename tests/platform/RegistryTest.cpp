// The registry calls the library makes, with the results Windows gives.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "tests/support/RegistryValues.h"

using namespace platform;

namespace {

const char kConfig[] = "Software\\Orvane\\Tarn\\Config";

std::vector<unsigned char> Bytes(const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); }

std::int32_t Set(RegKey& key, const char* name, std::uint32_t type, const std::string& bytes) {
    return key.SetValue(name, type, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<std::uint32_t>(bytes.size()));
}

// Reads a value the way the library does: the size first, then the bytes.
std::int32_t Get(RegKey& key, const char* name, std::string& bytes, std::uint32_t* type = nullptr) {
    std::uint32_t size = 0;
    std::int32_t result = key.QueryValue(name, type, nullptr, &size);
    if (result != RegOk)
        return result;
    std::vector<unsigned char> data(size + 1);
    result = key.QueryValue(name, type, data.data(), &size);
    bytes.assign(data.begin(), data.begin() + size);
    return result;
}

} // namespace

TEST(Registry, CreateOrOpenTellsANewKeyFromAnExistingOne) {
    RegKey key;
    bool created = false;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, &created));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_TRUE(created);

    RegKey again;
    ASSERT_EQ(RegOk, again.CreateOrOpen(kConfig, RegReadWrite, &created));
    EXPECT_FALSE(created);
    ASSERT_EQ(RegOk, again.CreateOrOpen("SOFTWARE\\orvane\\TARN\\config", RegRead, &created));
    EXPECT_FALSE(created);
    EXPECT_EQ(RegOk, again.CreateOrOpen(kConfig, RegRead, nullptr));
}

TEST(Registry, CreatingAKeyCreatesItsAncestors) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen("Software\\Orvane\\Tarn\\Config\\CMS Servlet Names", RegWrite, nullptr));
    for (const char* ancestor : {"Software\\Orvane", "Software\\Orvane\\Tarn", kConfig}) {
        RegKey parent;
        EXPECT_EQ(RegOk, parent.Open(ancestor, RegRead)) << ancestor;
    }
    bool created = true;
    RegKey parent;
    ASSERT_EQ(RegOk, parent.CreateOrOpen("Software\\Orvane\\Tarn", RegRead, &created));
    EXPECT_FALSE(created);
}

TEST(Registry, OpeningAMissingKeyIsNotFound) {
    RegKey key;
    EXPECT_EQ(RegNotFound, key.Open("Software\\Orvane\\Tarn\\Config", RegRead));
    EXPECT_FALSE(key.IsOpen());
    tarntest::CreateRegistryKey("Software\\Orvane\\Tarn");
    EXPECT_EQ(RegNotFound, key.Open(kConfig, RegRead));
    EXPECT_EQ(RegOk, key.Open("software\\ORVANE\\tarn", RegRead));
    EXPECT_TRUE(key.IsOpen());
}

TEST(Registry, QueryWithoutABufferGivesTypeAndSize) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, Set(key, "QAS Address", RegSz, std::string("127.0.0.1:8080", 15)));
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(RegOk, key.QueryValue("QAS Address", &type, nullptr, &size));
    EXPECT_EQ(std::uint32_t(RegSz), type);
    EXPECT_EQ(15u, size);
    EXPECT_EQ(RegNotFound, key.QueryValue("Missing", &type, nullptr, &size));
}

TEST(Registry, ValuesKeepTheirExactBytes) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr));
    const std::string text("127.0.0.1:8080\0", 15);
    const std::string binary("\x00\x01\xFF\x80\x00zz\x00", 8);
    const std::string dword("\x2A\x00\x00\x00", 4);
    ASSERT_EQ(RegOk, Set(key, "QAS Address", RegSz, text));
    ASSERT_EQ(RegOk, Set(key, "Blob", RegBinary, binary));
    ASSERT_EQ(RegOk, Set(key, "Count", RegDword, dword));

    std::string bytes;
    std::uint32_t type = 0;
    ASSERT_EQ(RegOk, Get(key, "QAS Address", bytes, &type));
    EXPECT_EQ(text, bytes);
    EXPECT_EQ(std::uint32_t(RegSz), type);
    ASSERT_EQ(RegOk, Get(key, "Blob", bytes, &type));
    EXPECT_EQ(binary, bytes);
    EXPECT_EQ(std::uint32_t(RegBinary), type);
    ASSERT_EQ(RegOk, Get(key, "Count", bytes, &type));
    EXPECT_EQ(dword, bytes);
    EXPECT_EQ(std::uint32_t(RegDword), type);

    // What another program sees, and what the library sees of another program's value.
    ASSERT_TRUE(tarntest::GetRegistryValue(kConfig, "Blob", bytes, &type));
    EXPECT_EQ(binary, bytes);
    tarntest::SetRegistryText(kConfig, "Machine ID", "{ABC}");
    ASSERT_EQ(RegOk, Get(key, "Machine ID", bytes));
    EXPECT_EQ(std::string("{ABC}\0", 6), bytes);
}

TEST(Registry, WritingAgainReplacesTypeAndBytes) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, Set(key, "Value", RegSz, std::string("a long first text\0", 18)));
    ASSERT_EQ(RegOk, Set(key, "VALUE", RegBinary, "xy"));
    std::string bytes;
    std::uint32_t type = 0;
    ASSERT_EQ(RegOk, Get(key, "value", bytes, &type));
    EXPECT_EQ("xy", bytes);
    EXPECT_EQ(std::uint32_t(RegBinary), type);
    ASSERT_EQ(RegOk, Set(key, "Value", RegBinary, ""));
    ASSERT_EQ(RegOk, Get(key, "Value", bytes));
    EXPECT_EQ("", bytes);
}

TEST(Registry, NamesIgnoreLetterCase) {
    RegKey writer;
    ASSERT_EQ(RegOk, writer.CreateOrOpen(kConfig, RegWrite, nullptr));
    ASSERT_EQ(RegOk, Set(writer, "QAS Address", RegSz, std::string("host:1\0", 7)));
    RegKey reader;
    ASSERT_EQ(RegOk, reader.Open("SOFTWARE\\ORVANE\\TARN\\CONFIG", RegRead));
    std::string bytes;
    ASSERT_EQ(RegOk, Get(reader, "qas ADDRESS", bytes));
    EXPECT_EQ(std::string("host:1\0", 7), bytes);
}

TEST(Registry, ATooSmallBufferIsMoreDataWithTheNeededSize) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegReadWrite, nullptr));
    ASSERT_EQ(RegOk, Set(key, "Value", RegBinary, "0123456789"));
    unsigned char data[16] = {};
    std::uint32_t type = 0, size = 4;
    EXPECT_EQ(RegMoreData, key.QueryValue("Value", &type, data, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(std::uint32_t(RegBinary), type);
    size = 10;
    ASSERT_EQ(RegOk, key.QueryValue("Value", nullptr, data, &size));
    EXPECT_EQ(Bytes("0123456789"), std::vector<unsigned char>(data, data + size));
}

TEST(Registry, AccessIsCheckedAsRequested) {
    RegKey key;
    ASSERT_EQ(RegOk, key.CreateOrOpen(kConfig, RegRead, nullptr));
    EXPECT_EQ(RegAccessDenied, Set(key, "Value", RegBinary, "x"));
}

// Several writers at once, each with its own key: one of those creating the
// same key is told it created it, and no write is lost.
TEST(Registry, ConcurrentWritersEachSucceed) {
    const int kThreads = 4, kValues = 10;
    std::atomic<int> createdCount{0}, failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            RegKey key;
            bool created = false;
            if (key.CreateOrOpen("Software\\Orvane\\Tarn\\Shared", RegReadWrite, &created) != RegOk) {
                ++failures;
                return;
            }
            createdCount += created;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "Value " + std::to_string(t) + "." + std::to_string(i);
                if (Set(key, name.c_str(), RegSz, name + std::string(1, '\0')) != RegOk)
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(1, createdCount.load());

    RegKey key;
    ASSERT_EQ(RegOk, key.Open("Software\\Orvane\\Tarn\\Shared", RegRead));
    for (int t = 0; t < kThreads; ++t) {
        for (int i = 0; i < kValues; ++i) {
            const std::string name = "Value " + std::to_string(t) + "." + std::to_string(i);
            std::string bytes;
            ASSERT_EQ(RegOk, Get(key, name.c_str(), bytes)) << name;
            EXPECT_EQ(name + std::string(1, '\0'), bytes);
        }
    }
}
