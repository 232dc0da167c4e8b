#include "app/RulerTool.h"

#include "app/FormText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QVTKOpenGLNativeWidget.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkActor.h>
#include <vtkBillboardTextActor3D.h>
#include <vtkCellArray.h>
#include <vtkLineSource.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>
#include <vtkTextProperty.h>

namespace {

// Yellow reads well on the view's black ground; the label has a dark ground
// of its own for when points lie behind it.
constexpr double kColour[3] = {1.0, 0.85, 0.1};
constexpr int kClickSlack = 3; // pixels a click may move and stay a click

vtkRenderer* rendererOf(CloudView& view) {
    return view.viewer()->getRendererCollection()->GetFirstRenderer();
}

} // namespace

RulerTool::RulerTool(CloudView& view, std::function<const CloudView::Cloud&()> newestFrame,
                     QObject* parent)
    : QObject(parent), view_(view), newestFrame_(std::move(newestFrame)) {
    // Actors of its own rather than the visualizer's shapes, which the grid
    // toggle removes all at once.
    ends_ = vtkSmartPointer<vtkPoints>::New();
    auto endsData = vtkSmartPointer<vtkPolyData>::New();
    endsData->SetPoints(ends_);
    auto vertices = vtkSmartPointer<vtkCellArray>::New();
    endsData->SetVerts(vertices);
    auto endsMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    endsMapper->SetInputData(endsData);
    endsActor_ = vtkSmartPointer<vtkActor>::New();
    endsActor_->SetMapper(endsMapper);
    endsActor_->GetProperty()->SetColor(kColour[0], kColour[1], kColour[2]);
    endsActor_->GetProperty()->SetPointSize(9);

    line_ = vtkSmartPointer<vtkLineSource>::New();
    auto lineMapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    lineMapper->SetInputConnection(line_->GetOutputPort());
    lineActor_ = vtkSmartPointer<vtkActor>::New();
    lineActor_->SetMapper(lineMapper);
    lineActor_->GetProperty()->SetColor(kColour[0], kColour[1], kColour[2]);
    lineActor_->GetProperty()->SetLineWidth(2);

    label_ = vtkSmartPointer<vtkBillboardTextActor3D>::New();
    vtkTextProperty* text = label_->GetTextProperty();
    text->SetFontSize(16);
    text->SetColor(kColour[0], kColour[1], kColour[2]);
    text->SetBackgroundColor(0, 0, 0);
    text->SetBackgroundOpacity(0.6);
    text->SetJustificationToLeft();
    text->SetVerticalJustificationToBottom();
    label_->SetDisplayOffset(8, 8);

    vtkRenderer* renderer = rendererOf(view_);
    for (vtkProp* prop : {static_cast<vtkProp*>(endsActor_), static_cast<vtkProp*>(lineActor_),
                          static_cast<vtkProp*>(label_)}) {
        prop->VisibilityOff();
        renderer->AddActor(prop);
    }
    view_.screen()->installEventFilter(this);
}

RulerTool::~RulerTool() {
    vtkRenderer* renderer = rendererOf(view_);
    renderer->RemoveActor(endsActor_);
    renderer->RemoveActor(lineActor_);
    renderer->RemoveActor(label_);
}

void RulerTool::setActive(bool active) {
    if (active == active_) {
        return;
    }
    active_ = active;
    if (!active_) {
        clear();
    }
    announce();
    emit activeChanged(active_);
}

void RulerTool::clear() {
    if (points_.empty()) {
        return;
    }
    points_.clear();
    showMeasurement();
    announce();
}

std::optional<RulerFigures> RulerTool::figures() const {
    if (points_.size() < 2) {
        return std::nullopt;
    }
    return RulerFigures::between(points_[0], points_[1]);
}

bool RulerTool::clickAt(QPoint widgetPosition) {
    vtkRenderWindow* window = view_.screen()->renderWindow();
    // Display pixels, from the bottom left, as the renderer counts them.
    const double ratio = view_.screen()->devicePixelRatioF();
    const double x = widgetPosition.x() * ratio;
    const double y = window->GetSize()[1] - widgetPosition.y() * ratio - 1;

    // The second point is taken from the first one's cloud.
    if (beforeFirstPoint_ && points_.size() != 1) {
        beforeFirstPoint_(x, y, kSnapRadius * ratio);
    }
    const CloudView::Cloud& frame = newestFrame_();
    const std::optional<std::size_t> hit =
        view_.screenSnap().nearest(frame, x, y, kSnapRadius * ratio);
    if (!hit) {
        return false;
    }
    if (points_.size() == 2) {
        points_.clear();
    }
    const pcl::PointXYZRGB& p = frame[*hit];
    points_.push_back({p.x, p.y, p.z});
    showMeasurement();
    announce();
    return true;
}

void RulerTool::showMeasurement() {
    ends_->Reset();
    for (const PointXyz& p : points_) {
        ends_->InsertNextPoint(p.x, p.y, p.z);
    }
    auto* endsData = vtkPolyData::SafeDownCast(endsActor_->GetMapper()->GetInput());
    auto vertices = vtkSmartPointer<vtkCellArray>::New();
    for (vtkIdType i = 0; i < ends_->GetNumberOfPoints(); ++i) {
        vertices->InsertNextCell(1, &i);
    }
    endsData->SetVerts(vertices);
    ends_->Modified();
    endsActor_->SetVisibility(!points_.empty());

    const std::optional<RulerFigures> f = figures();
    if (f) {
        const PointXyz& a = points_[0];
        const PointXyz& b = points_[1];
        line_->SetPoint1(a.x, a.y, a.z);
        line_->SetPoint2(b.x, b.y, b.z);
        label_->SetPosition((a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0);
        label_->SetInput(f->text().toUtf8().constData());
    }
    lineActor_->SetVisibility(f.has_value());
    label_->SetVisibility(f.has_value());
    view_.render();
}

void RulerTool::announce() {
    QString text;
    if (const std::optional<RulerFigures> f = figures()) {
        text = trForm("Ruler: %1").arg(f->text().replace(QLatin1Char('\n'), QStringLiteral(", ")));
    } else if (active_) {
        text = points_.empty() ? trForm("Ruler: click the first point; Esc clears, m ends.")
                               : trForm("Ruler: click the second point.");
    }
    emit statusText(text);
}

bool RulerTool::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Taken before the view's own keys: m would otherwise switch the
        // interactor into its animation mode.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_M && key->modifiers() == Qt::NoModifier) {
            setActive(!active_);
            return true;
        }
        if (key->key() == Qt::Key_Escape && !points_.empty()) {
            clear();
            return true;
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        pressedAt_.reset();
        if (active_ && mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier) {
            pressedAt_ = mouse->pos();
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        // A click, not a drag (which turns the view): the view gets it too.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (pressedAt_ && mouse->button() == Qt::LeftButton &&
            (mouse->pos() - *pressedAt_).manhattanLength() <= kClickSlack) {
            clickAt(mouse->pos());
        }
        pressedAt_.reset();
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
