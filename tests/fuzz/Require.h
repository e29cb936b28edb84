#pragma once

#include <cstdio>
#include <cstdlib>

namespace tavrik::test {

/// A property of a fuzz target: when it does not hold, says which and aborts, so that
/// libFuzzer keeps the input as a finding.
inline void require(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "violated: %s\n", property);
        std::abort();
    }
}

} // namespace tavrik::test
