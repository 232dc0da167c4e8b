#pragma once

#include "app/CloudView.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/RulerFigures.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>
#include <vector>
#include <vtkSmartPointer.h>

class vtkActor;
class vtkBillboardTextActor3D;
class vtkLineSource;
class vtkPoints;

// The ruler: while measuring (its tool button, or m in the view), two clicks
// in the view take the two points of the frame that show nearest the
// cursor (within a few pixels) and draw a line between them, labelled with
// the distance, the horizontal distance and the height difference. The
// line is kept in world coordinates, so it stays as frames change; a third
// click starts a new measurement, Esc in the view or Clear removes it.
class RulerTool : public QObject {
    Q_OBJECT
public:
    // Widget pixels around the cursor in which a point is taken.
    static constexpr double kSnapRadius = 6;

    // `newestFrame` gives the cloud of the frame on screen.
    RulerTool(CloudView& view, std::function<const CloudView::Cloud&()> newestFrame,
              QObject* parent = nullptr);
    ~RulerTool() override;

    void setActive(bool active);
    bool active() const { return active_; }

    // Removes the measurement (the mode stays as it is).
    void clear();

    const std::vector<PointXyz>& points() const { return points_; }
    std::optional<RulerFigures> figures() const;

    // Called with a click's place in view pixels (and the snap radius)
    // before the click takes the first point of a measurement: with several
    // sensors shown, the window may give the tools to the sensor under it,
    // whose cloud `newestFrame` gives from then on.
    void setBeforeFirstPoint(std::function<void(double x, double y, double radius)> hook) {
        beforeFirstPoint_ = std::move(hook);
    }

    // A click at a place of the view in widget pixels: places the next point
    // at the frame's point nearest to it. Returns false, and places
    // nothing, when no point of the frame shows that near.
    bool clickAt(QPoint widgetPosition);

signals:
    void activeChanged(bool active);
    // What the status bar tells while measuring; empty when done.
    void statusText(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMeasurement();
    void announce();

    CloudView& view_;
    std::function<const CloudView::Cloud&()> newestFrame_;
    std::function<void(double, double, double)> beforeFirstPoint_;
    bool active_ = false;
    std::vector<PointXyz> points_;
    std::optional<QPoint> pressedAt_;

    vtkSmartPointer<vtkPoints> ends_;
    vtkSmartPointer<vtkActor> endsActor_;
    vtkSmartPointer<vtkLineSource> line_;
    vtkSmartPointer<vtkActor> lineActor_;
    vtkSmartPointer<vtkBillboardTextActor3D> label_;
};
