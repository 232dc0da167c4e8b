#include "app/CaptureDrop.h"

#include <QAbstractButton>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

CaptureDrop::CaptureDrop(QWidget& window, const QAbstractButton& openButton,
                         std::function<void(const QString&)> open)
    : QObject(&window), window_(window), openButton_(openButton), open_(std::move(open)) {
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
}

QString CaptureDrop::capturePath(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return QString();
    }
    const QString path = urls.front().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("pcap") || suffix == QLatin1String("pcapng") ? path : QString();
}

bool CaptureDrop::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (openButton_.isEnabled() && !capturePath(*drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = capturePath(*drop->mimeData());
        if (!openButton_.isEnabled() || path.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        QTimer::singleShot(0, &window_, [this, path] {
            if (openButton_.isEnabled()) {
                open_(path);
            }
        });
        return true;
    }
    default:
        return false;
    }
}
