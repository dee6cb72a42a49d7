#pragma once

#include <cstdio>
#include <cstdlib>

// A property that must hold for every input: a violation aborts, so that
// libFuzzer keeps the input as a crash.
inline void richiedi(bool vero, const char *proprieta)
{
    if (vero)
        return;
    std::fprintf(stderr, "property violated: %s\n", proprieta);
    std::abort();
}
