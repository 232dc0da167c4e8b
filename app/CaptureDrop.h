#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAbstractButton;
class QMimeData;
class QWidget;

// Opens a capture file dropped on the window the way the Open button does:
// one local .pcap or .pcapng file, taken only while Open is enabled (the
// cursor shows a refusal otherwise). The file is opened once the drop has
// been answered, so the loading never holds up the program it came from.
class CaptureDrop : public QObject {
    Q_OBJECT
public:
    CaptureDrop(QWidget& window, const QAbstractButton& openButton,
                std::function<void(const QString&)> open);

    // The one capture file among the dropped data, or empty.
    static QString capturePath(const QMimeData& data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    const QAbstractButton& openButton_;
    std::function<void(const QString&)> open_;
};
