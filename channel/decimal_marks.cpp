#include "channel/decimal_marks.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLocale>

namespace {

// The line edit's validator of a plain spin box: the rule first, then the
// box's own validator, which it replaces on the line edit.
class decimal_mark_validator : public QValidator
{
public:
    decimal_mark_validator(const QDoubleSpinBox *b, const QValidator *own, QObject *parent)
        : QValidator(parent), box(b), box_own(own)
    {
    }

    State validate(QString &text, int &pos) const override
    {
        if (const std::optional<State> decided = typed_decimal_marks(text, *box))
            return *decided;
        return box_own->validate(text, pos);
    }

    void fixup(QString &text) const override { box_own->fixup(text); }

private:
    const QDoubleSpinBox *box;
    const QValidator *box_own;
};

} // namespace

std::optional<QValidator::State> typed_decimal_marks(QString &text, const QDoubleSpinBox &box)
{
    return typed_decimal_marks(text, box.locale(), box.decimals());
}

std::optional<QValidator::State> typed_decimal_marks(QString &text, const QLocale &locale, int decimals)
{
    const QChar point = locale.decimalPoint();
    const QChar group = locale.groupSeparator();
    int marks = 0;
    for (QChar &c : text) {
        if (c == QLatin1Char('.') || c == QLatin1Char(','))
            c = point;
        if (c == point)
            ++marks;
        else if (c == group || c.isSpace())
            return QValidator::Invalid;
    }
    if (decimals > 0 || marks == 0)
        return std::nullopt;
    return marks == 1 && text.endsWith(point) ? QValidator::Intermediate : QValidator::Invalid;
}

bool holds_decimal_mark(const QString &text, const QLocale &locale)
{
    return text.contains(QLatin1Char('.')) || text.contains(QLatin1Char(',')) || text.contains(locale.decimalPoint());
}

bool holds_decimal_mark(const QDoubleSpinBox &box)
{
    return box.decimals() == 0 && holds_decimal_mark(box.text(), box.locale());
}

QValidator::State whole_number_validator::validate(QString &text, int &pos) const
{
    if (const std::optional<State> decided = typed_decimal_marks(text, locale(), 0))
        return *decided;
    return QIntValidator::validate(text, pos);
}

void take_both_decimal_marks(QDoubleSpinBox *box)
{
    QLineEdit *edit = box->findChild<QLineEdit *>();
    // Once per box, however many controllers have bound its page.
    if (!edit || !edit->validator() || dynamic_cast<const decimal_mark_validator *>(edit->validator()))
        return;
    edit->setValidator(new decimal_mark_validator(box, edit->validator(), edit));
}
