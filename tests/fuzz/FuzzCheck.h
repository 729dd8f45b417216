// A broken promise of the launcher, found by a fuzz target: reported and
// ended like a crash, so libFuzzer keeps the input that shows it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, ...)                                                       \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "%s:%d: check failed: %s: ", __FILE__, __LINE__, #condition); \
            std::fprintf(stderr, __VA_ARGS__);                                           \
            std::fprintf(stderr, "\n");                                                  \
            std::abort();                                                                \
        }                                                                                \
    } while (0)
