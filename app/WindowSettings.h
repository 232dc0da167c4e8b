#pragma once

#include "app/ViewerSettings.h"

#include <functional>

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
    // Asks first; then forgets everything stored, the dialogs' folders and
    // the sensors' choice and poses included, and shows the first-run
    // values at once; `forgotten` is called for what others show.
    void askAndRestoreDefaults();
    void setForgotten(std::function<void()> forgotten) { forgotten_ = std::move(forgotten); }

    ViewerSettings shown() const;

private:
    void show(const ViewerSettings& settings);

    QMainWindow& window_;
    Ui::manwindowClass& ui_;
    CloudView& view_;
    std::function<void()> forgotten_;
};
