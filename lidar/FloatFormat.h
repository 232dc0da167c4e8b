#pragma once

#include <cstddef>

// Writes a float as a default-formatted C++ stream does: the value, widened
// to double, in the general format with 6 significant digits ("%g"), rounded
// to nearest with ties to even. The values the sensor's data can produce
// take an exact integer path; the rest (magnitudes below about 2e-6 or
// above 1e12, infinities, NaN) go through std::to_chars, which matches the
// stream too.
namespace FloatFormat {

// Longest text written: "-1.23457e-308" style and "-inf" fit easily.
constexpr std::size_t kMaxLength = 16;

// Writes the text at `out` (at least kMaxLength bytes) and returns the end.
char* writeGeneral6(char* out, float value);

} // namespace FloatFormat
