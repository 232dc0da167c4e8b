#pragma once

#include "capture/AdapterChooser.h"

class QWidget;

// Asks the user which network adapter to capture on when several can carry
// the sensor's traffic: a short list naming each adapter with its
// addresses, the first one preselected.
namespace AdapterPicker {

// A picker for AdapterChooser that asks in a dialog over `parent`.
AdapterChooser::Picker forWindow(QWidget* parent);

} // namespace AdapterPicker
