#pragma once

#include <QIntValidator>
#include <QLocale>
#include <QString>
#include <QValidator>

#include <optional>

class QDoubleSpinBox;

// A number typed into a spin box means what was written in every locale:
// "." and "," are both the decimal mark, rewritten in the text to the box's
// own, and no character is ever a thousands mark (the toolkit would drop
// one, and 36.5 would become 365). The inputs carry no prefix or suffix.
//
// The state, when the rule decides it: Invalid for a group separator or a
// space; in a box of whole numbers, Intermediate for a number ending in the
// mark (kept, so that a digit typed next cannot join the digits before it:
// "2.5" must never become 25) and Invalid for a digit after the mark.
// Nothing when the box's own check decides.
std::optional<QValidator::State> typed_decimal_marks(QString &text, const QDoubleSpinBox &box);
std::optional<QValidator::State> typed_decimal_marks(QString &text, const QLocale &locale, int decimals);

// A box of whole numbers that reads a decimal mark: it holds no number typed.
bool holds_decimal_mark(const QDoubleSpinBox &box);

// Text with a decimal mark in it, "." or "," or the locale's own.
bool holds_decimal_mark(const QString &text, const QLocale &locale);

// A line edit's whole numbers under the same rule: "1.5" and "1,5" are
// never 15; the text keeps "1." and then holds no number.
class whole_number_validator : public QIntValidator
{
public:
    using QIntValidator::QIntValidator;
    State validate(QString &text, int &pos) const override;
};

// Puts the rule in front of a plain spin box's own check, on its line edit.
void take_both_decimal_marks(QDoubleSpinBox *box);
