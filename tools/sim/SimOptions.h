#pragma once

#include "device/DeviceState.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

// The command line of sensor-sim.
struct SimOptions {
    enum class Outcome { Run, Help, Version, Error };
    struct Parsed;

    std::string host = "127.0.0.1";
    bool hostGiven = false;
    std::uint16_t port = 2368;
    double rate = 10;     // revolutions per second
    int azimuthStep = 20; // 0.01 degree
    int frames = 0;       // 0: until stopped
    std::string pcapPath; // write a capture file instead of sending
    // The sensor's own address: everything is sent from it and configuration
    // packets are taken at it. Empty: send from any address, take none.
    std::string sourceAddress;
    int seconds = 0; // end the run after this long; 0: until stopped
    bool quiet = false;
    // What the device-information packets report at the start. parse() sets
    // the addresses, ports and motor speed from the options above.
    DeviceState device = defaultDevice();

    // The calibration reported at the start comes from this seed.
    static constexpr unsigned kDefaultCalibrationSeed = 1;
    static DeviceState defaultDevice();

    // `arguments` includes the program name, as QCoreApplication gives it.
    static Parsed parse(const QStringList& arguments);
};

struct SimOptions::Parsed {
    Outcome outcome = Outcome::Error;
    SimOptions options;
    QString message; // the help or version text, or the one-line error
};
