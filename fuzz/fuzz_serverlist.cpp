// Feeds arbitrary documents to the reading of the address server's server
// list, the one a lookup runs: ServerListReading (address/ServerList.h) on a
// parser of the XML parser library, as AddressManager::GetServerAddressEnum
// makes it. What must hold: a document is read or refused with a code or a
// message, never anything else; a read list has a name and a host:port
// address for every server.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include <tarnclient/TarnClient.h>

#include "address/ServerList.h"
#include "fuzz/Check.h"
#include "messages/ResourceString.h"
#include "vcom/Codes.h"

namespace {

bool HasText(char* text, char wanted) {
    const bool has = text && *text && (!wanted || std::strchr(text, wanted));
    TarnClientLib_MemFree(text);
    return has;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vcom::ref<xmlparser::IParser> parser = Utility::NewXmlParser();
    const std::string document(reinterpret_cast<const char*>(data), size);
    address::ServerRecords records;
    try {
        address::ServerListReading reading(*parser, document.c_str(), static_cast<std::int32_t>(document.size()));
        records = reading.Records();
    } catch (const vcom::Code&) {
        return 0;
    } catch (const tarnClientLib::ResourceString&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (const auto& record : records)
        fuzz::Check(HasText(record->GetName(), 0) && HasText(record->GetAddress(), ':'),
                    "a server without a name or a host:port address");
    return 0;
}
