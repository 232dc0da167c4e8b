#pragma once

#include <QObject>

class QLabel;
class QStatusBar;
class QWidget;

// A status-bar hint that tells how the 3D view takes its keys. It stays
// until the user has put the focus into the view once (a click, or Tab);
// the focus the program itself gives the view does not count, as the user
// may not have noticed it. The least needed item of the bar, it makes way
// while the bar is too narrow for the others and itself.
class ViewFocusHint : public QObject {
    Q_OBJECT
public:
    ViewFocusHint(QWidget& view, QStatusBar& statusBar);

    QLabel* label() const { return label_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();

    QWidget& view_;
    QStatusBar& statusBar_;
    QLabel* label_;
    bool dismissed_ = false;
};
