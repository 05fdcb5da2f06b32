#pragma once

#include <QDoubleSpinBox>
#include <QString>
#include <QValidator>

#include "channel/decimal_marks.h"

// The parameters window's number input: a QDoubleSpinBox that corrects a
// typed value beyond its range to the nearest end of the range. The plain
// box refuses the very keystroke that goes above the maximum (typing 5 into
// a 0.2 to 4.0 box leaves the value before), and puts the value before back
// for one below the minimum. A text that is no number, or has more decimals
// than the box keeps, is refused as before.
class clamped_spin_box : public QDoubleSpinBox
{
public:
    explicit clamped_spin_box(QWidget *parent = nullptr) : QDoubleSpinBox(parent)
    {
        setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    }

    QValidator::State validate(QString &text, int &pos) const override
    {
        if (const std::optional<QValidator::State> decided = typed_decimal_marks(text, *this))
            return *decided;
        const QValidator::State state = QDoubleSpinBox::validate(text, pos);
        if (state != QValidator::Invalid)
            return state;
        const QString t = text.trimmed();
        double value = 0.0;
        // A lone sign may still become a number below the minimum.
        if (t == QLatin1String("-") || t == QLatin1String("+") || typed_number(t, &value))
            return QValidator::Intermediate;
        return QValidator::Invalid;
    }

    void fixup(QString &text) const override
    {
        QString t = text.trimmed();
        // "2." is all a box of whole numbers keeps of a "2.5" typed: 2.
        if (decimals() == 0 && t.endsWith(locale().decimalPoint()))
            t.chop(1);
        double value = 0.0;
        if (typed_number(t, &value))
            text = textFromValue(qBound(minimum(), value, maximum()));
        else
            QDoubleSpinBox::fixup(text);
    }

private:
    // Digits with an optional sign and at most decimals() decimals (the form
    // sets no prefix, suffix or group separators).
    bool typed_number(const QString &t, double *value) const
    {
        const QChar point = locale().decimalPoint();
        int i = 0;
        if (i < t.size() && (t.at(i) == QLatin1Char('-') || t.at(i) == QLatin1Char('+')))
            ++i;
        int digits = 0;
        int decimals_typed = -1;
        for (; i < t.size(); ++i) {
            const QChar c = t.at(i);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                ++digits;
                if (decimals_typed >= 0)
                    ++decimals_typed;
            } else if (c == point && decimals_typed < 0 && decimals() > 0) {
                decimals_typed = 0;
            } else {
                return false;
            }
        }
        if (digits == 0 || decimals_typed > decimals())
            return false;
        bool ok = false;
        *value = locale().toDouble(t, &ok);
        return ok;
    }
};
