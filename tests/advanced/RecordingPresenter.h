#pragma once

#include "device/MessagePresenter.h"

#include <QString>
#include <vector>

// Notes the boxes a window shows and answers its questions.
class RecordingPresenter : public MessagePresenter {
public:
    struct Box {
        QString kind;
        QWidget* parent;
        QString title;
        QString text;
    };

    explicit RecordingPresenter(std::vector<Box>& boxes, bool answer = false)
        : boxes_(boxes), answer_(answer) {}

    void information(QWidget* parent, const QString& title, const QString& text) override {
        boxes_.push_back({"information", parent, title, text});
    }
    void about(QWidget* parent, const QString& title, const QString& text) override {
        boxes_.push_back({"about", parent, title, text});
    }
    bool question(QWidget* parent, const QString& title, const QString& text) override {
        boxes_.push_back({"question", parent, title, text});
        return answer_;
    }

private:
    std::vector<Box>& boxes_;
    bool answer_;
};
