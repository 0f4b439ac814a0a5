// Shared pieces of the fuzz targets: a hard check, chunk sizes, the application and the clock.
#pragma once

#include "shell/virtualclock.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <vector>

// A failed property is a finding: abort so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace ktv31::fuzz {

// Chunk sizes 1..16 drawn from a seed byte, so that the same input is also cut differently.
inline std::vector<int> ChunkSizes(unsigned char seed)
{
    std::vector<int> sizes;
    unsigned state = seed | 1u;
    for (int i = 0; i < 16; ++i) {
        state = state * 1103515245u + 12345u;
        sizes.push_back(int((state >> 16) % 16) + 1);
    }
    return sizes;
}

// How an in-memory line delivers its bytes: whole, byte by byte, in random chunks, or in random
// chunks and then lost.
struct Delivery
{
    std::vector<int> chunks; // empty: all at once
    bool loseAtEnd = false;
};

// The top two bits of `seed` pick the way, all of it seeds the chunk sizes.
inline Delivery PickDelivery(unsigned char seed)
{
    switch (seed >> 6) {
    case 0:
        return {{}, false};
    case 1:
        return {{1}, false};
    case 2:
        return {ChunkSizes(seed), false};
    default:
        return {ChunkSizes(seed), true};
    }
}

// The engine and the modem dialogue pump events when an application exists; give them one.
inline void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "ktv31-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// The in-memory lines keep their timing on a virtual clock: every wait of an exchange or a
// dialogue, first-byte and gap deadlines included, plays out at once.
inline void InstallVirtualClock()
{
    static VirtualClock clock;
    static ClockScope scope(clock);
}

} // namespace ktv31::fuzz
