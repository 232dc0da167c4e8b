#include "python/PythonErrors.h"

namespace py = pybind11;

namespace {

// Owned by the module's attributes, which keep them for the life of the
// interpreter.
PyObject* captureError = nullptr;
PyObject* receiveError = nullptr;
PyObject* timeoutError = nullptr;
PyObject* truncatedWarning = nullptr;

PyObject* defineClass(py::module_& module, const char* name, PyObject* bases, const char* doc) {
    const std::string qualified = "vantor." + std::string(name);
    PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
    if (type == nullptr) {
        throw py::error_already_set();
    }
    module.add_object(name, py::reinterpret_borrow<py::object>(type));
    return type;
}

[[noreturn]] void raise(PyObject* type, const std::string& text) {
    PyErr_SetString(type, text.c_str());
    throw py::error_already_set();
}

} // namespace

namespace PythonErrors {

void define(py::module_& module) {
    PyObject* error =
        defineClass(module, "Error", PyExc_Exception,
                    "Base class of the errors of vantor; its text is the one the tools show.");
    captureError = defineClass(module, "CaptureError", error,
                               "A capture file cannot be read: it is missing, not a capture,\n"
                               "holds no data packet of the sensor, is damaged, or was\n"
                               "shortened while it was open.");
    receiveError = defineClass(module, "ReceiveError", error,
                               "Live reception failed: the data port cannot be bound (it is\n"
                               "in use), or the receiver stopped.");
    const py::tuple timeoutBases =
        py::make_tuple(py::handle(receiveError), py::handle(PyExc_TimeoutError));
    timeoutError = defineClass(module, "Timeout", timeoutBases.ptr(),
                               "No complete frame arrived within the time-out given to\n"
                               "listen(). Also a TimeoutError.");
    truncatedWarning = defineClass(
        module, "TruncatedCaptureWarning", PyExc_UserWarning,
        "A capture file is cut short (as after an interrupted copy): its frames before\n"
        "the cut were read. Turn it into an error with\n"
        "warnings.simplefilter('error', vantor.TruncatedCaptureWarning).");
}

void raiseCaptureError(const std::string& text) {
    raise(captureError, text);
}

void raiseReceiveError(const std::string& text) {
    raise(receiveError, text);
}

void raiseTimeout(const std::string& text) {
    raise(timeoutError, text);
}

void warnTruncated(const std::string& text) {
    if (PyErr_WarnEx(truncatedWarning, text.c_str(), 1) != 0) {
        throw py::error_already_set();
    }
}

} // namespace PythonErrors
