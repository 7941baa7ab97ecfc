#pragma once

#include <cstdio>
#include <cstdlib>

namespace rovana::fuzz {

// Aborts with `what` on standard error when a promise is broken, so that libFuzzer keeps
// the input as a crash.
inline void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace rovana::fuzz
