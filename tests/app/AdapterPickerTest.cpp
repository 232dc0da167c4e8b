#include "app/AdapterPicker.h"

#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

CaptureAdapter adapter(const std::string& name, const std::string& address) {
    CaptureAdapter a;
    a.name = name;
    a.ipv4Addresses = {address};
    return a;
}

// Answers the picker's dialog once it is open: notes what it offers, then
// picks `answer` (an empty text cancels).
struct DialogAnswer {
    QStringList offered;
    QString preselected;
    QString answer;
    QTimer timer;

    explicit DialogAnswer(QString text) : answer(std::move(text)) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            timer.stop();
            offered = dialog->comboBoxItems();
            preselected = dialog->textValue();
            if (answer.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->setTextValue(answer);
            dialog->accept();
        });
        timer.start(10);
    }
};

} // namespace

TEST(AdapterPicker, OffersEachAdapterWithItsAddressesFirstPreselected) {
    const std::vector<CaptureAdapter> candidates = {
        adapter("eth0", "192.168.1.102"), adapter("wlan0", "10.1.1.7"), adapter("lo", "127.0.0.1")};
    const AdapterChooser::Picker pick = AdapterPicker::forWindow(nullptr);

    DialogAnswer second("wlan0 (10.1.1.7)");
    EXPECT_EQ(pick(candidates), std::optional<std::string>("wlan0"));
    EXPECT_EQ(second.offered,
              (QStringList{"eth0 (192.168.1.102)", "wlan0 (10.1.1.7)", "lo (127.0.0.1)"}));
    EXPECT_EQ(second.preselected, "eth0 (192.168.1.102)");

    DialogAnswer cancel("");
    EXPECT_EQ(pick(candidates), std::nullopt);
}
