#include "device/CodeDialog.h"

#include "ui_CodeDialog.h"

CodeDialog::CodeDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::CodeDialog>()) {
    ui_->setupUi(this);
    connect(ui_->pushButton_ok, &QPushButton::clicked, this, &CodeDialog::onOKClick);
    connect(ui_->pushButton_cancel, &QPushButton::clicked, this, &CodeDialog::onCancelClick);
}

CodeDialog::~CodeDialog() = default;

bool CodeDialog::isAccessCode(const QString& code) {
    return code == QLatin1String("905");
}

void CodeDialog::onOKClick() {
    const QString code = ui_->lineEdit->text();
    emit sendCode(code);
    ui_->lineEdit->clear();
    close();
}

void CodeDialog::onCancelClick() {
    ui_->lineEdit->clear();
    close();
}
