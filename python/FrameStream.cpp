#include "python/FrameStream.h"

#include "python/Interruptible.h"
#include "python/PythonErrors.h"

namespace py = pybind11;

PythonFrame FrameStream::next() {
    ConvertedFrame frame;
    for (;;) {
        if (closed_) {
            throw py::stop_iteration();
        }
        FrameQueue::Pop got = FrameQueue::Pop::Waiting;
        {
            py::gil_scoped_release release;
            got = queue_.pop(frame, kSignalCheckInterval);
        }
        if (got == FrameQueue::Pop::Frame) {
            ++delivered_;
            return PythonFrame(std::move(frame));
        }
        if (got == FrameQueue::Pop::Finished) {
            const std::string error = queue_.error();
            const std::string notice = queue_.notice();
            close();
            if (!error.empty()) {
                raiseFailure(error);
            }
            if (!notice.empty()) {
                PythonErrors::warnTruncated(notice);
            }
            throw py::stop_iteration();
        }
        if (PyErr_CheckSignals() != 0) {
            close();
            throw py::error_already_set();
        }
        whileWaiting();
    }
}

void FrameStream::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    // The producer never takes the GIL, so waiting for it while holding
    // the GIL cannot deadlock; letting go of it lets other threads run.
    if (PyGILState_Check() && !_Py_IsFinalizing()) {
        py::gil_scoped_release release;
        stopProducer();
    } else {
        stopProducer();
    }
}
