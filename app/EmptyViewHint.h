#pragma once

#include <QLabel>

// The hint over the 3D view while no frame is on screen: how data gets
// there, and for a first run without a sensor a link that opens a sample
// capture. A drawn frame hides it; emptying the view shows it again.
class EmptyViewHint : public QLabel {
    Q_OBJECT
public:
    explicit EmptyViewHint(QWidget& view);

    void frameDrawn() { hide(); }
    void viewEmptied() { show(); }

signals:
    // The link "Open a sample capture" was clicked.
    void sampleRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centre();
};
