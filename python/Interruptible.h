#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <thread>

// How often a thread that waits for C++ work looks for Ctrl-C.
constexpr std::chrono::milliseconds kSignalCheckInterval{50};

// Runs `work(const std::atomic<bool>& cancel)` on a thread of its own while
// the calling thread, the GIL released, waits for it and looks for signals
// (Ctrl-C) every kSignalCheckInterval. A signal whose handler raises sets
// `cancel`, waits for the work to end and raises the handler's exception;
// otherwise an exception of the work is raised here.
template <class Work>
void runInterruptibly(Work&& work) {
    namespace py = pybind11;
    std::atomic<bool> cancel{false};
    std::promise<void> outcome;
    std::future<void> done = outcome.get_future();
    std::thread thread([&] {
        try {
            work(static_cast<const std::atomic<bool>&>(cancel));
            outcome.set_value();
        } catch (...) {
            outcome.set_exception(std::current_exception());
        }
    });
    for (;;) {
        bool finished = false;
        {
            py::gil_scoped_release release;
            finished = done.wait_for(kSignalCheckInterval) == std::future_status::ready;
        }
        if (finished) {
            break;
        }
        if (PyErr_CheckSignals() != 0) {
            cancel = true;
            {
                py::gil_scoped_release release;
                thread.join();
            }
            throw py::error_already_set();
        }
    }
    thread.join();
    done.get();
}
