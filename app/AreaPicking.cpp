#include "app/AreaPicking.h"

#include "app/CloudView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QVTKOpenGLNativeWidget.h>
#include <algorithm>

AreaPicking::AreaPicking(CloudView& view, const FrameConverter& converter, QWidget& window,
                         WindowHooks hooks)
    : view_(view), converter_(converter), window_(window), hooks_(std::move(hooks)),
      band_(new QRubberBand(QRubberBand::Rectangle, view.screen())) {
    // The band is a widget of its own over the view: renders of new frames
    // leave it alone.
    band_->setObjectName(QStringLiteral("selectionBand"));
    view_.screen()->installEventFilter(this);
}

AreaPicking::~AreaPicking() {
    view_.screen()->removeEventFilter(this);
}

void AreaPicking::toggleArming() {
    box_ = SelectionBox{};
    setSelectionActive(false);
    annotationEnabled_ = false;
    view_.screen()->setFocus();
    armed_ = !armed_;
    dragStart_.reset();
    band_->hide();
    showArmed(armed_);
}

std::optional<QRect> AreaPicking::band() const {
    if (!band_->isVisible()) {
        return std::nullopt;
    }
    return band_->geometry();
}

void AreaPicking::clear() {
    box_ = SelectionBox{};
    setSelectionActive(false);
    selectedCount_ = 0;
}

void AreaPicking::setSelectionActive(bool active) {
    if (active != selectionActive_) {
        selectionActive_ = active;
        emit SendSelectionChanged(active);
    }
}

bool AreaPicking::eventFilter(QObject* watched, QEvent* event) {
    if (watched != view_.screen()) {
        return false;
    }
    // x in the view arms and disarms, as the visualizer's own binding of
    // the key did; the visualizer never sees it.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers others = key->modifiers() & ~Qt::ShiftModifier;
        if (key->key() != Qt::Key_X || others != Qt::NoModifier) {
            return false;
        }
        if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            toggleArming();
        }
        return true;
    }
    return armed_ && mouseWhileArmed(event);
}

bool AreaPicking::mouseWhileArmed(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick) {
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    // The other buttons still turn, pan and zoom the view.
    if (type != QEvent::MouseMove && mouse->button() != Qt::LeftButton) {
        return false;
    }
    const QPoint at = mouse->pos();
    if (type == QEvent::MouseButtonPress) {
        dragStart_ = at;
        band_->setGeometry(QRect(at, QSize()));
        band_->show();
    } else if (dragStart_ && type == QEvent::MouseMove) {
        band_->setGeometry(QRect(*dragStart_, at).normalized() & view_.screen()->rect());
    } else if (dragStart_ && type == QEvent::MouseButtonRelease) {
        const QPoint start = *dragStart_;
        dragStart_.reset();
        band_->hide();
        const ViewPoint from = view_.viewPixel(start.x(), start.y());
        const ViewPoint to = view_.viewPixel(at.x(), at.y());
        // A click without a drag picks nothing; the band stays armed.
        if (from.x != to.x || from.y != to.y) {
            pick({from.x, from.y, to.x, to.y});
        }
    }
    return type != QEvent::MouseMove || dragStart_.has_value();
}

void AreaPicking::pick(ViewRectangle rectangle) {
    const FrustumPick frustum = view_.frustumThrough(rectangle);
    if (hooks_.beforePick) {
        hooks_.beforePick(frustum, {rectangle.x0, rectangle.y0});
    }
    const FrameConversion::Cloud& shown = hooks_.shownCloud();
    picked_ = frustum.indices(shown);
    armed_ = false;
    showArmed(false);
    if (picked_.empty()) {
        // A selection of nothing: no box, and the list and the figures of
        // the one before go.
        hooks_.showListing(SelectionListing{});
        return;
    }
    FrameConversion::Cloud picked;
    picked.reserve(picked_.size());
    for (const int i : picked_) {
        picked.push_back(shown[static_cast<std::size_t>(i)]);
    }
    selectedCount_ = static_cast<int>(picked.size());

    const auto& first = picked.points.front();
    box_ = SelectionBox{first.x, first.x, first.y, first.y, first.z, first.z};
    for (const auto& p : picked.points) {
        box_.xMin = std::min(box_.xMin, p.x);
        box_.xMax = std::max(box_.xMax, p.x);
        box_.yMin = std::min(box_.yMin, p.y);
        box_.yMax = std::max(box_.yMax, p.y);
        box_.zMin = std::min(box_.zMin, p.z);
        box_.zMax = std::max(box_.zMax, p.z);
    }

    setSelectionActive(true);
    annotationEnabled_ = true;
    hooks_.showListing(
        converter_.listSelection(hooks_.lastFrame(), hooks_.channels(), box_, selectedCount_,
                                 hooks_.placement ? hooks_.placement() : PoseTransform()));
    // The blue points show with a render after the list and the labels have
    // been painted: a render of a large frame takes far longer than the pick.
    view_.showSelection(std::move(picked));
    QMetaObject::invokeMethod(
        this, [this] { view_.render(); }, Qt::QueuedConnection);
}

void AreaPicking::showArmed(bool armed) {
    const Qt::CursorShape shape = armed ? Qt::CrossCursor : Qt::ArrowCursor;
    window_.setCursor(shape);
    view_.screen()->setCursor(shape);
    emit armedChanged(armed);
}
