// How a fuzz target reports a broken rule: it names the rule and aborts,
// which libFuzzer reports as a finding.
#ifndef TARN_FUZZ_CHECK_H
#define TARN_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Check(bool ok, const char* rule) {
    if (!ok) {
        std::fprintf(stderr, "broken rule: %s\n", rule);
        std::abort();
    }
}

} // namespace fuzz

#endif
