#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTimer>

// Answers the file dialogs that open while it lives, as a user would: notes
// the caption, the filters, whether the dialog is Qt's own and the proposed
// file name, then accepts `path`, or cancels when `path` is empty.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(QString path) : path_(std::move(path)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }

    int asked = 0;
    QString caption;
    QStringList filters;
    bool nonNative = false;
    QString proposedName;

private:
    void poll() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        ++asked;
        caption = dialog->windowTitle();
        filters = dialog->nameFilters();
        nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
        proposedName = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        if (path_.isEmpty()) {
            dialog->reject();
        } else {
            // A user who also confirms replacing an existing file.
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
            dialog->selectFile(path_);
            static_cast<QDialog*>(dialog)->accept();
        }
    }

    QString path_;
    QTimer timer_;
};
