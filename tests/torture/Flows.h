// The end-to-end flows of the torture runs, as a host runs them through the
// public interfaces against a scripted loopback server.
#ifndef TARN_TESTS_TORTURE_FLOWS_H
#define TARN_TESTS_TORTURE_FLOWS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace torture {

// The server's reply ends at offset: closed, or reset.
struct Cut {
    std::size_t offset;
    bool reset;
};

struct Outcome {
    bool ok = false;
    std::string value;    // what the host got, as text
    std::int32_t code = 0; // the failure code (0: a bare null)
    int errorsReported = 0; // the application errors the host was told of
    std::vector<std::string> sent; // the field names of every request that arrived
    long allocations = 0;
};

struct Flow;

const Flow* FindFlow(const std::string& name);
// True when the flow starts from a registry that already has an identity.
bool Seeded(const Flow& flow);
// The whole reply the server sends (empty for flows without an exchange).
std::string FlowReply(const Flow& flow);

// Runs flow once; failAt as in Arm(); cut null for the whole reply.
Outcome RunFlow(const Flow& flow, const Cut* cut, long failAt);

// The undisturbed result, or a documented failure without any error report.
bool Acceptable(const Outcome& got, const Outcome& expected);
std::string Describe(const Outcome& outcome);

// A later process: creates a customer manager and an identity without any
// fault; the machine identifier, or empty when either fails.
std::string SecondRun();

} // namespace torture

#endif
