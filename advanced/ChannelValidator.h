#pragma once

#include <QValidator>

// The validator of the pitch, azimuth and reflectivity fields. Typing is
// never held back while a number is being built up: any text of digits with
// at most one leading minus and one point is at least Intermediate, so no
// keystroke leaves another number in the field than the one typed (a
// refused "8" of "8.5" would leave "5"). Acceptable are the texts the
// packet can carry: the empty text (or a lone tab), and numbers with at
// most `decimals` decimals from `min` to `max`, in units of the last
// decimal. "Set" refuses the rest, naming the field.
class ChannelValidator : public QValidator {
public:
    ChannelValidator(int decimals, long long min, long long max, QObject* parent);

    State validate(QString& input, int& pos) const override;

private:
    int decimals_;
    long long min_;
    long long max_;
};
