#pragma once

#include <cstdint>

// An instant in nanoseconds since 1970 UTC as whole seconds and the
// nanoseconds into the second (0 to 999,999,999), also before 1970.
struct UnixTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;

    static UnixTime fromNanoseconds(std::int64_t value) {
        UnixTime t{value / 1000000000, value % 1000000000};
        if (t.nanoseconds < 0) {
            --t.seconds;
            t.nanoseconds += 1000000000;
        }
        return t;
    }
};
