#pragma once

#include <QString>

class QWidget;

// Shows a dialog's message boxes. The window uses the modal boxes below;
// tests put in a presenter that records the boxes and answers questions.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;

    // An information box with one OK button.
    virtual void information(QWidget* parent, const QString& title, const QString& text);
    // An about box.
    virtual void about(QWidget* parent, const QString& title, const QString& text);
    // A question with OK (the default) and Cancel; true for OK.
    virtual bool question(QWidget* parent, const QString& title, const QString& text);
};
