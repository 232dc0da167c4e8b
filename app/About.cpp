#include "app/About.h"

#include "ui_About.h"

About::About(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::About>()) {
    ui_->setupUi(this);
}

About::~About() = default;

void About::displayMasterPanelVersion(QString value) {
    ui_->label_Version_Display->setText(value);
}
