#pragma once

#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class About;
}

// The "About" window: the program's name and version, and the version of the
// sensor's main board as its device-status packets last reported it.
class About : public QWidget {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

public slots:
    void displayMasterPanelVersion(QString value);

private:
    std::unique_ptr<Ui::About> ui_;
};
