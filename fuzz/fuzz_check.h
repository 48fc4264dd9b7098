// A broken invariant ends the run, so that the fuzzer keeps the input that broke it.
#ifndef QETO_FUZZ_CHECK_H
#define QETO_FUZZ_CHECK_H

#include <cstdlib>

inline void check(bool ok) {
    if (!ok) std::abort();
}

#endif  // QETO_FUZZ_CHECK_H
