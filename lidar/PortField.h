#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The port fields of the main window ("Data Port", "Telemetry Port"), as the
// receivers bind them.
namespace PortField {

// A whole decimal number of 1..65535 and nothing else: no sign, blank,
// fraction or other base.
std::optional<std::uint16_t> parse(const QString& text);

// Why `text` in the field called `name` cannot be used; empty when it can.
QString refusal(const QString& name, const QString& text);

} // namespace PortField
