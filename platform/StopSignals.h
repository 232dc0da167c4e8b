#pragma once

#include <QObject>
#include <QString>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Requests to end the program (SIGINT from Ctrl-C, SIGTERM from kill or a
// logout, SIGHUP from a closed terminal) turned into something the program
// acts on at a moment of its choosing: at the next frame, or by closing its
// window as the user would. The handler only notes the first signal and
// writes a byte to a pipe, all a signal handler may safely do; the program
// polls caught() or hears SendCaught through the event loop of the thread
// that made this object. Interrupted system calls are restarted, so no
// write fails for the signal's sake. A second signal takes its usual
// course: Ctrl-C twice ends a program that is slow to stop. One instance at
// a time.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    // Puts the handlers that were there before back.
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The first signal caught, 0 before any.
    static int caught();
    // "SIGINT", "SIGTERM", ...
    static QString nameOf(int signalNumber);

signals:
    // Once, for the first signal caught.
    void SendCaught(int signalNumber);

private:
    struct Previous;
    std::vector<Previous> previous_;
    QSocketNotifier* notifier_ = nullptr;
    bool reported_ = false;
};
