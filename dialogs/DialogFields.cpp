#include "dialogs/DialogFields.h"

#include <QCoreApplication>

namespace DialogFields {

double numberOrZero(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0.0;
}

float floatOrZero(const QString& text) {
    bool ok = false;
    const float value = text.toFloat(&ok);
    return ok ? value : 0.0f;
}

int integerOrZero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

QString generalNumber(double value) {
    return QString::number(value, 'g', 6);
}

QString frameCountProblem(int frameCount) {
    if (frameCount >= 1) {
        return {};
    }
    return QCoreApplication::translate("SaveData",
                                       "SelectionDataFrameNumber must be a whole number of at "
                                       "least 1; the export stops after that many frames.");
}

} // namespace DialogFields
