// The first failure of a parse, for code that runs where no exception may
// pass (inside a C parser's callbacks) or that must stop at the first one.
#ifndef XMLPARSER_FIRSTFAILURE_H
#define XMLPARSER_FIRSTFAILURE_H

#include <cstdint>

#include "vcom/Boundary.h"
#include "vcom/Codes.h"

namespace xmlparser {

class FirstFailure {
public:
    // Runs work unless a failure is already recorded; records the code of
    // what it throws. True when work ran and succeeded.
    template <class Work>
    bool Run(Work&& work) noexcept {
        if (Failed())
            return false;
        m_code = vcom::CatchStatus([&] {
            work();
            return std::int32_t{vcom::Success};
        });
        return !Failed();
    }

    bool Failed() const { return m_code != vcom::Success; }

    // Throws the recorded code, if any.
    void Rethrow() const {
        if (Failed())
            vcom::Fail(m_code);
    }

private:
    vcom::Code m_code = vcom::Success;
};

} // namespace xmlparser

#endif
