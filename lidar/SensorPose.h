#pragma once

#include <QString>
#include <array>
#include <optional>

// Where a sensor stands on the vehicle or rig: the position of its origin
// in metres and its rotation in degrees, roll about x, pitch about y and
// yaw about z, each counter-clockwise looking down its axis towards the
// origin. Showing several sensors together places each by its pose.
struct SensorPose {
    enum Field { X, Y, Z, Roll, Pitch, Yaw };
    static constexpr int kFields = 6;
    // What a typed value may be: a pose farther than this or a turn of more
    // than a full circle is a typing error.
    static constexpr double kMaxMetres = 1000;
    static constexpr double kMaxDegrees = 360;

    std::array<double, kFields> values{};

    double operator[](Field f) const { return values[static_cast<std::size_t>(f)]; }
    double& operator[](Field f) { return values[static_cast<std::size_t>(f)]; }
    bool operator==(const SensorPose& other) const { return values == other.values; }
    bool operator!=(const SensorPose& other) const { return !(*this == other); }
    // The sensor's own coordinates.
    bool isIdentity() const { return *this == SensorPose{}; }

    // One typed field ("1.5", "-90"): a finite number within the field's
    // limit, in C notation; nothing otherwise.
    static std::optional<double> parseField(Field field, const QString& text);
    // A field as it is shown and kept: the shortest text that reads back to
    // the same number.
    static QString fieldText(double value);

    // "x y z roll pitch yaw", as the settings keep it.
    QString text() const;
    static std::optional<SensorPose> parse(const QString& text);
};
