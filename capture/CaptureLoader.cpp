#include "capture/CaptureLoader.h"

CaptureLoader::CaptureLoader(QObject* parent) : QThread(parent) {}

CaptureLoader::~CaptureLoader() {
    cancel();
    wait();
}

void CaptureLoader::load(const QString& path) {
    wait();
    path_ = path;
    cancel_ = false;
    capture_.reset();
    errorText_.clear();
    start();
}

void CaptureLoader::run() {
    capture_ = CaptureFile::open(
        path_, &errorText_,
        [this](std::uint64_t done, std::uint64_t total) { emit SendProgress(done, total); },
        &cancel_);
}
