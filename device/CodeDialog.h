#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class CodeDialog;
}

// Asks for the access code of the advanced settings and hands the text to
// the window, which decides.
class CodeDialog : public QDialog {
    Q_OBJECT
public:
    explicit CodeDialog(QWidget* parent = nullptr);
    ~CodeDialog() override;

    // The window's test of a code: exactly "905", compared as text.
    static bool isAccessCode(const QString& code);

signals:
    void sendCode(QString code);

public slots:
    void onOKClick();
    void onCancelClick();

private:
    std::unique_ptr<Ui::CodeDialog> ui_;
};
