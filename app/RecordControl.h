#pragma once

#include "capture/AdapterChooser.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class manwindowClass;
}
class CaptureRecorder;
class QLabel;
class QWidget;

// The "Record" button of the "Offline" tab: picks the adapter, asks for the
// file, runs the recorder thread on the data port's traffic and stops it
// again. While recording the button stays pressed and the status bar counts
// the packets and bytes written; both return to idle however the recording
// ends (the button, an error, the window closing), and the status bar then
// says what the file holds.
class RecordControl {
public:
    RecordControl(Ui::manwindowClass& ui, AdapterChooser::Picker picker,
                  std::function<void(const QString& text)> showTips, QWidget* window);
    // Stops a running recording; its file is closed.
    ~RecordControl();
    RecordControl(const RecordControl&) = delete;
    RecordControl& operator=(const RecordControl&) = delete;

    // Connects the Record button to buttonClicked().
    void wireButton();
    // Stops a recording, or chooses the adapter, asks for the file and starts one.
    void buttonClicked();
    // Starts recording the data port's traffic on `adapter` into `path`.
    void startRecording(const std::string& adapter, const QString& path);
    // Ends a running recording and waits until its file is closed.
    void stopRecording();

    bool recording() const;
    const CaptureRecorder& recorder() const { return *recorder_; }

    // "Vantor_yyyy-MM-dd-hh-mm.pcap"
    static QString proposedFileName(const QDateTime& now);
    // What a finished recording wrote: "rec.pcap: 70,027 packets, 65 s".
    static QString writtenText(const QString& fileName, std::uint64_t packets, qint64 elapsedMs);

private:
    void showRecording();
    void showIdle();
    void showFigures();

    Ui::manwindowClass& ui_;
    AdapterChooser::Picker picker_;
    std::function<void(const QString&)> showTips_;
    QWidget* window_;
    std::unique_ptr<CaptureRecorder> recorder_;
    QLabel* statusLabel_;
    QTimer figuresTimer_;
    QString fileName_;
    QElapsedTimer recordingClock_;
};
