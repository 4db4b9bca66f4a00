// Walking a server list: positions at and beyond both ends, and who owns
// which reference.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "address/ServerAddressList.h"
#include "tests/support/HostCalls.h"
#include "vcom/Component.h"
#include "vcom/MemHolder.h"
#include "vcom/Ref.h"

namespace {

using tarntest::Take;
using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;

// A record that notes its destruction, so a test sees when and in which order
// the last reference went.
class TracedServer : public vcom::Component<TracedServer, vcom::Iface<IServerAddress>> {
public:
    TracedServer(std::string name, std::shared_ptr<std::vector<std::string>> gone)
        : m_name(std::move(name)), m_gone(std::move(gone)) {}
    ~TracedServer() override { m_gone->push_back(m_name); }

    char* GetName() override { return vcom::CopyOut(m_name); }
    char* GetAddress() override { return vcom::CopyOut(m_name + ":1"); }
    std::int32_t GetPort() override { return 1; }
    char* GetHost() override { return vcom::CopyOut(m_name); }
    std::int32_t GetUc() override { return 0; }

private:
    std::string m_name;
    std::shared_ptr<std::vector<std::string>> m_gone;
};

class ServerAddressListTest : public testing::Test {
protected:
    // A list of the given names; the list holds the only reference to each.
    vcom::ref<IServerAddressList> MakeList(const std::vector<std::string>& names) {
        address::ServerRecords records;
        std::int32_t err = 1;
        for (const std::string& name : names)
            records.emplace_back(
                static_cast<IServerAddress*>(vcom::Create<TracedServer>(IServerAddress::Id, &err, name, m_gone)));
        return vcom::ref<IServerAddressList>(static_cast<IServerAddressList*>(
            vcom::Create<address::ServerAddressList>(IServerAddressList::Id, &err, std::move(records))));
    }

    // The name of the element, whose reference is then given back.
    static std::string NameOf(IServerAddress* element) {
        const std::string name = element ? Take(element->GetName()) : "<none>";
        if (element)
            element->Release();
        return name;
    }

    std::shared_ptr<std::vector<std::string>> m_gone = std::make_shared<std::vector<std::string>>();
};

TEST_F(ServerAddressListTest, NextAndPrevWalkSymmetricallyAndStopAtTheEnds) {
    vcom::ref<IServerAddressList> list = MakeList({"a", "b", "c"});
    EXPECT_EQ(list->Count(), 3);
    EXPECT_FALSE(list->IsEmpty());
    EXPECT_EQ(list->End() - list->Begin(), 3);
    std::int32_t pos = list->Begin();
    EXPECT_EQ(NameOf(list->Next(&pos)), "a");
    EXPECT_EQ(NameOf(list->Next(&pos)), "b");
    // Prev hands back the element Next just delivered and restores the position.
    EXPECT_EQ(NameOf(list->Prev(&pos)), "b");
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(NameOf(list->Next(&pos)), "b");
    EXPECT_EQ(NameOf(list->Next(&pos)), "c");
    EXPECT_EQ(list->Next(&pos), nullptr);
    EXPECT_EQ(pos, list->End());
    EXPECT_EQ(NameOf(list->Prev(&pos)), "c");
    EXPECT_EQ(NameOf(list->Prev(&pos)), "b");
    EXPECT_EQ(NameOf(list->Prev(&pos)), "a");
    EXPECT_EQ(list->Prev(&pos), nullptr);
    EXPECT_EQ(pos, list->Begin());
    EXPECT_EQ(NameOf(list->Next(&pos)), "a");
}

TEST_F(ServerAddressListTest, HostilePositionsReadNothingAndStayPut) {
    vcom::ref<IServerAddressList> list = MakeList({"a", "b", "c"});
    vcom::ref<IServerAddressList> empty = MakeList({});
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(empty->Begin(), empty->End());
    for (std::int32_t start : {-5, -1, INT_MIN, 4, 1000, INT_MAX}) {
        std::int32_t pos = start;
        EXPECT_EQ(list->Next(&pos), nullptr) << start;
        EXPECT_EQ(list->Prev(&pos), nullptr) << start;
        EXPECT_EQ(pos, start);
    }
    for (std::int32_t start : {-1, 0, 1}) {
        std::int32_t pos = start;
        EXPECT_EQ(empty->Next(&pos), nullptr) << start;
        EXPECT_EQ(empty->Prev(&pos), nullptr) << start;
        EXPECT_EQ(pos, start);
    }
    EXPECT_EQ(list->Next(nullptr), nullptr);
    EXPECT_EQ(list->Prev(nullptr), nullptr);
    EXPECT_TRUE(m_gone->empty());
}

TEST_F(ServerAddressListTest, EachElementHandedOutCarriesOneReferenceAndOutlivesTheList) {
    vcom::ref<IServerAddressList> list = MakeList({"a", "b", "c"});
    std::int32_t pos = list->Begin() + 1;
    IServerAddress* kept = list->Next(&pos);
    IServerAddress* again = list->Prev(&pos);
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(kept, again);
    // The list's reference and the two handed out.
    EXPECT_EQ(tarntest::Count(kept), 3);
    again->Release();
    EXPECT_EQ(list->Release(), 0);
    list.detach();
    // The list gave back its own three references, in list order, and no more.
    EXPECT_EQ(*m_gone, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Take(kept->GetName()), "b");
    EXPECT_EQ(kept->Release(), 0);
    EXPECT_EQ(*m_gone, (std::vector<std::string>{"a", "c", "b"}));
}

} // namespace
