// A lookup as a host makes it, through the public header and the shared
// library, and the address server's reply the list benchmarks serve.
#ifndef TARN_BENCH_HOSTLOOKUP_H
#define TARN_BENCH_HOSTLOOKUP_H

#include <string>

#include <tarnclient/TarnClient.h>

namespace bench {

// An address manager for the server at address ("127.0.0.1:port"); ends the
// process when there is none.
tarnclient::IAddressManager* NewManager(const std::string& address);

// Every server of TARNQUEST's game category, and a walk of the list that
// copies each name and address; the count of complete servers, -1 when the
// lookup failed.
long LibraryLookup(tarnclient::IAddressManager& manager);

// The HTTP reply of an address server: an AddressReply with status 0 whose
// one "serverlist" field is xml.
std::string AddressReplyHttp(const std::string& xml);

} // namespace bench

#endif
