#include "lidar/FloatFormat.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace FloatFormat {

namespace {

constexpr std::uint64_t kPow10[] = {
    1,        10,        100,        1000,           10000,           100000,          1000000,
    10000000, 100000000, 1000000000, 10000000000ULL, 100000000000ULL, 1000000000000ULL};

constexpr char kDigitPairs[] = "00010203040506070809"
                               "10111213141516171819"
                               "20212223242526272829"
                               "30313233343536373839"
                               "40414243444546474849"
                               "50515253545556575859"
                               "60616263646566676869"
                               "70717273747576777879"
                               "80818283848586878889"
                               "90919293949596979899";

// Binary exponents (of the value, unbiased) that the exact path handles:
// 2^-19 (about 1.9e-6) up to below 2^40 (about 1.1e12). Below, 10^s would
// overflow 64 bits; above, the shifted mantissa would.
constexpr int kLowestExponent = -19;
constexpr int kHighestExponent = 39;

char* fallback(char* out, float value) {
    return std::to_chars(out, out + kMaxLength, static_cast<double>(value),
                         std::chars_format::general, 6)
        .ptr;
}

// m * 2^q * 10^s as digits + rest / unit, rest < unit.
struct Scaled {
    std::uint64_t digits;
    std::uint64_t rest;
    std::uint64_t unit;
};

inline Scaled scale(std::uint64_t m, int q, int s) {
    if (s >= 0) {
        // Below 10^6 the value is below 2^23, so q is negative here.
        const std::uint64_t a = m * kPow10[s];
        const int shift = -q;
        const std::uint64_t unit = std::uint64_t{1} << shift;
        return {a >> shift, a & (unit - 1), unit};
    }
    std::uint64_t a = m;
    std::uint64_t d = kPow10[-s];
    if (q >= 0) {
        a <<= q;
    } else {
        d <<= -q;
    }
    return {a / d, a % d, d};
}

} // namespace

char* writeGeneral6(char* out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>(bits >> 23 & 0xFF);
    const int exponent = biased - 127;
    if ((bits & 0x7FFFFFFF) == 0) {
        if (bits >> 31 != 0) {
            *out++ = '-';
        }
        *out++ = '0';
        return out;
    }
    if (biased == 0 || exponent < kLowestExponent || exponent > kHighestExponent) {
        return fallback(out, value);
    }
    if (bits >> 31 != 0) {
        *out++ = '-';
    }

    // |value| = m * 2^q exactly, 2^exponent <= |value| < 2^(exponent + 1).
    const std::uint64_t m = (bits & 0x7FFFFF) | 0x800000;
    const int q = exponent - 23;
    // The decimal exponent k (10^k <= |value| < 10^(k+1)) is this estimate
    // or one more; 1233/4096 is log10(2) rounded up far enough.
    int k = (exponent * 1233) >> 12;
    Scaled n = scale(m, q, 5 - k);
    if (n.digits >= 1000000) {
        // One digit too many: the last one joins the rest.
        ++k;
        n.rest += n.digits % 10 * n.unit;
        n.unit *= 10;
        n.digits /= 10;
    }
    std::uint64_t digits = n.digits;
    // Round to nearest, ties to even.
    const std::uint64_t twice = 2 * n.rest;
    if (twice > n.unit || (twice == n.unit && (digits & 1) != 0)) {
        ++digits;
        if (digits == 1000000) {
            digits = 100000;
            ++k;
        }
    }

    // Six digits, then how many of them count once trailing zeros go.
    char d[6];
    const auto high = static_cast<unsigned>(digits / 10000);
    const auto low = static_cast<unsigned>(digits % 10000);
    std::memcpy(d, kDigitPairs + 2 * high, 2);
    std::memcpy(d + 2, kDigitPairs + 2 * (low / 100), 2);
    std::memcpy(d + 4, kDigitPairs + 2 * (low % 100), 2);
    int used = 6;
    while (used > 1 && d[used - 1] == '0') {
        --used;
    }

    if (k < -4 || k >= 6) {
        *out++ = d[0];
        if (used > 1) {
            *out++ = '.';
            std::memcpy(out, d + 1, static_cast<std::size_t>(used - 1));
            out += used - 1;
        }
        *out++ = 'e';
        *out++ = k < 0 ? '-' : '+';
        const int e = k < 0 ? -k : k;
        if (e >= 100) {
            *out++ = static_cast<char>('0' + e / 100);
        }
        std::memcpy(out, kDigitPairs + 2 * (e % 100), 2);
        return out + 2;
    }
    if (k >= 0) {
        const int whole = k + 1;
        std::memcpy(out, d, static_cast<std::size_t>(whole));
        out += whole;
        if (used > whole) {
            *out++ = '.';
            std::memcpy(out, d + whole, static_cast<std::size_t>(used - whole));
            out += used - whole;
        }
        return out;
    }
    *out++ = '0';
    *out++ = '.';
    for (int z = -k - 1; z > 0; --z) {
        *out++ = '0';
    }
    std::memcpy(out, d, static_cast<std::size_t>(used));
    return out + used;
}

} // namespace FloatFormat
