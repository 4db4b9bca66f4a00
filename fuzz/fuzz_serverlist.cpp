// Feeds arbitrary documents to the reading of the address server's server
// list, through the XML parser library. What must hold: a document is read
// or refused with a code or a message, never anything else; a read list has
// a name and an address for every server.
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>

#include "address/ServerList.h"
#include "fuzz/Check.h"
#include "messages/ResourceString.h"
#include "vcom/Codes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string document(reinterpret_cast<const char*>(data), size);
    address::ServerEntries entries;
    try {
        address::ParseServerList(document, static_cast<std::int32_t>(document.size()), entries);
    } catch (const vcom::Code&) {
        fuzz::Check(entries.empty(), "entries left after a refusal");
        return 0;
    } catch (const tarnClientLib::ResourceString&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (const address::ServerEntry& entry : entries)
        fuzz::Check(!entry.name.empty() && !entry.address.empty(), "a server without a name or an address");
    return 0;
}
