#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

// The command line of sensor-sim.
struct SimOptions {
    enum class Outcome { Run, Help, Error };
    struct Parsed;

    std::string host = "127.0.0.1";
    bool hostGiven = false;
    std::uint16_t port = 2368;
    double rate = 10;          // revolutions per second
    int azimuthStep = 20;      // 0.01 degree
    int frames = 0;            // 0: until stopped
    std::string pcapPath;      // write a capture file instead of sending
    std::string sourceAddress; // local address to send from; empty: any
    bool quiet = false;

    // `arguments` includes the program name, as QCoreApplication gives it.
    static Parsed parse(const QStringList& arguments);
};

struct SimOptions::Parsed {
    Outcome outcome = Outcome::Error;
    SimOptions options;
    QString message; // the help text or the one-line error
};
