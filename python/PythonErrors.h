#pragma once

#include <pybind11/pybind11.h>

#include <string>

// The module's exception and warning classes, and raising them with the
// texts the tools show.
namespace PythonErrors {

// Creates the classes as attributes of `module`.
void define(pybind11::module_& module);

[[noreturn]] void raiseCaptureError(const std::string& text);
[[noreturn]] void raiseReceiveError(const std::string& text);
[[noreturn]] void raiseTimeout(const std::string& text);
// Warns that a capture was cut short; raises when the warning filters turn
// it into an error.
void warnTruncated(const std::string& text);

} // namespace PythonErrors
