#pragma once

#include "app/ViewerSettings.h"

namespace Ui {
class manwindowClass;
}
class CloudView;
class QMainWindow;

// The window's side of ViewerSettings: shows what the last run left (at
// start-up), keeps what is shown (when the window closes) and puts back the
// first-run values ("Restore defaults").
class WindowSettings {
public:
    WindowSettings(QMainWindow& window, Ui::manwindowClass& ui, CloudView& view);

    void restore();
    void save() const;
    // Asks first; then forgets everything stored, the dialogs' folders
    // included, and shows the first-run values at once.
    void askAndRestoreDefaults();

    ViewerSettings shown() const;

private:
    void show(const ViewerSettings& settings);

    QMainWindow& window_;
    Ui::manwindowClass& ui_;
    CloudView& view_;
};
