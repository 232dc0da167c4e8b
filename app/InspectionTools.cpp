#include "app/InspectionTools.h"

#include "app/RangeImagePanel.h"
#include "app/RulerTool.h"
#include "app/TrailView.h"
#include "ui_manwindow.h"

#include <QMainWindow>

InspectionTools::InspectionTools(QMainWindow& window, Ui::manwindowClass& ui, CloudView& view,
                                 const ChannelGeometry& geometry, Sources sources)
    : trail_(std::make_unique<TrailView>(view)),
      ruler_(std::make_unique<RulerTool>(view, sources.shownCloud)) {
    static const MuchLidarData noFrame;
    RangeImagePanel::Sources pictureSources;
    pictureSources.frame = [this, frame = sources.frame]() -> const MuchLidarData& {
        return exported_ ? noFrame : frame();
    };
    pictureSources.channels = sources.channels;
    pictureSources.colourMode = sources.colourMode;
    pictureSources.sensorColour = sources.sensorColour;
    pictureSources.placement = sources.placement;
    rangeImage_ = new RangeImagePanel(geometry, view, *ui.statusBar, pictureSources,
                                      sources.showTips, &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, rangeImage_);
    rangeImage_->hide();

    // Each control follows its tool, whichever way the tool was switched.
    QObject::connect(ui.toolButton_RangeImage, &QToolButton::toggled, rangeImage_,
                     &QDockWidget::setVisible);
    QObject::connect(rangeImage_, &QDockWidget::visibilityChanged, ui.toolButton_RangeImage,
                     [button = ui.toolButton_RangeImage, dock = rangeImage_] {
                         // Hidden behind another tabbed dock still counts as open.
                         button->setChecked(!dock->isHidden());
                     });
    QObject::connect(ui.toolButton_Ruler, &QToolButton::toggled, ruler_.get(),
                     &RulerTool::setActive);
    QObject::connect(ruler_.get(), &RulerTool::activeChanged, ui.toolButton_Ruler,
                     &QToolButton::setChecked);
    QObject::connect(ruler_.get(), &RulerTool::statusText, ui.statusBar,
                     [bar = ui.statusBar](const QString& text) { bar->showMessage(text); });
    QObject::connect(ui.spinBox_Trail, QOverload<int>::of(&QSpinBox::valueChanged),
                     ui.spinBox_Trail, [this](int frames) { trail_->setLength(frames); });
}

InspectionTools::~InspectionTools() {
    // The panel reads its frame through this object.
    delete rangeImage_;
}

void InspectionTools::beforeDraw(const CloudView::Cloud::ConstPtr& shown, bool exported) {
    exported_ = exported;
    if (exported) {
        trail_->clear();
    } else {
        trail_->keepShown(shown);
    }
}

void InspectionTools::afterDraw() {
    rangeImage_->frameDrawn();
}

void InspectionTools::clear() {
    ruler_->clear();
    trail_->clear();
    rangeImage_->clear();
}
