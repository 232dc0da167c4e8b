#include "app/AdapterPicker.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QPointer>
#include <QStringList>

namespace AdapterPicker {

AdapterChooser::Picker forWindow(QWidget* parent) {
    return [window = QPointer<QWidget>(parent)](
               const std::vector<CaptureAdapter>& candidates) -> std::optional<std::string> {
        QStringList labels;
        for (const CaptureAdapter& a : candidates) {
            labels << QString::fromStdString(a.label());
        }
        bool ok = false;
        const QString chosen = QInputDialog::getItem(
            window, QCoreApplication::translate("AdapterPicker", "Network adapter"),
            QCoreApplication::translate("AdapterPicker",
                                        "Several network adapters can carry the sensor's "
                                        "traffic. Capture on:"),
            labels, 0, false, &ok);
        const int index = labels.indexOf(chosen);
        if (!ok || index < 0) {
            return std::nullopt;
        }
        return candidates[static_cast<std::size_t>(index)].name;
    };
}

} // namespace AdapterPicker
