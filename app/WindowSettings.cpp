#include "app/WindowSettings.h"

#include "app/CloudView.h"
#include "app/FormText.h"
#include "app/WindowFit.h"
#include "device/MessagePresenter.h"
#include "ui_manwindow.h"

#include <QMainWindow>

WindowSettings::WindowSettings(QMainWindow& window, Ui::manwindowClass& ui, CloudView& view)
    : window_(window), ui_(ui), view_(view) {}

void WindowSettings::restore() {
    show(ViewerSettings::load());
}

void WindowSettings::save() const {
    shown().save();
}

void WindowSettings::askAndRestoreDefaults() {
    if (!MessagePresenter().question(
            &window_, trForm("Question"),
            trForm("Restore the default ports, multicast address, colour mode, view, point size, "
                   "trail and window size, and forget the folders of the file dialogs, the "
                   "sensor shown and the sensors' poses?"))) {
        return;
    }
    ViewerSettings::forgetAll();
    show(ViewerSettings{});
    if (forgotten_) {
        forgotten_();
    }
}

ViewerSettings WindowSettings::shown() const {
    ViewerSettings s;
    s.dataPort = ui_.lineEdit_portNumber->text();
    s.telemetryPort = ui_.lineEdit_portNumber_2->text();
    s.multicastAddress = ui_.lineEdit_2->text();
    s.colourMode = ui_.comboBox_4->currentIndex();
    s.viewPreset = ui_.comboBox_View->currentIndex();
    s.pointSize = view_.pointSize();
    s.trail = ui_.spinBox_Trail->value();
    s.windowGeometry = window_.saveGeometry();
    return s;
}

void WindowSettings::show(const ViewerSettings& s) {
    ui_.lineEdit_portNumber->setText(s.dataPort);
    ui_.lineEdit_portNumber_2->setText(s.telemetryPort);
    ui_.lineEdit_2->setText(s.multicastAddress);
    ui_.comboBox_4->setCurrentIndex(s.colourMode);
    // The preset is applied again even when the index stays, as choosing it
    // does.
    ui_.comboBox_View->setCurrentIndex(s.viewPreset);
    view_.applyPreset(s.viewPreset);
    view_.setPointSize(s.pointSize);
    ui_.spinBox_Trail->setValue(s.trail);
    if (s.windowGeometry.isEmpty() || !window_.restoreGeometry(s.windowGeometry)) {
        WindowFit::fillScreen(window_);
    }
}
