#pragma once

#include <QString>

// Reading and writing the text fields of the selection and export dialogs.
// The fields have no validators: text that is not a number reads as 0.
namespace DialogFields {

double numberOrZero(const QString& text);
float floatOrZero(const QString& text);
// Decimal digits only (with an optional sign and blanks around).
int integerOrZero(const QString& text);

// General format with up to 6 significant digits: 0.5, -10, 1.23457e+06.
QString generalNumber(double value);

// Why a frame count cannot start an export, or an empty text when it can.
// An export ends when it has written that many frames, so it needs at
// least one.
QString frameCountProblem(int frameCount);

} // namespace DialogFields
