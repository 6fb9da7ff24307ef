#include "mediaboard/hexfields.h"

#include "protocol/hex.h"

#include <QValidator>

namespace {

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool AllHex(const QString &text)
{
    for (QChar c : text)
        if (!IsHexDigit(c))
            return false;
    return true;
}

// Refuses any text with a non-hex character, or longer than the limit.
class HexValidator : public QValidator
{
public:
    HexValidator(int maxDigits, QObject *parent) : QValidator(parent), m_maxDigits(maxDigits) {}

    State validate(QString &input, int &) const override
    {
        if (!AllHex(input) || (m_maxDigits > 0 && input.size() > m_maxDigits))
            return Invalid;
        return Acceptable;
    }

private:
    int m_maxDigits;
};

} // namespace

HexEdit::HexEdit(int maxDigits, QWidget *parent) : QLineEdit(parent)
{
    setValidator(new HexValidator(maxDigits, this));
    // What the user types or pastes appears in upper case; text the program
    // sets ("f8") stays as it is.
    connect(this, &QLineEdit::textEdited, this, [this](const QString &edited) {
        const QString upper = edited.toUpper();
        if (upper == edited)
            return;
        const int cursor = cursorPosition();
        setText(upper);
        setCursorPosition(cursor);
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (m_zeroShowsEmpty && !text().isEmpty() && lowBits(32) == 0)
            clear();
    });
}

quint32 HexEdit::lowBits(int bits) const
{
    // Only the digits that reach into the low bits count; in text set by the
    // program a non-digit reads as 0.
    const QString digits = text().right((bits + 3) / 4);
    quint64 value = 0;
    for (QChar c : digits) {
        value = (value << 4) | quint64(HexDigitValue(c));
    }
    const quint64 mask = bits >= 32 ? 0xFFFFFFFFull : ((quint64(1) << bits) - 1);
    return quint32(value & mask);
}

void HexEdit::setNumber(quint32 value)
{
    setText(QString::number(value, 16).toUpper());
}

void HexEdit::setZeroShowsEmpty(bool on)
{
    m_zeroShowsEmpty = on;
}

HexSpinBox::HexSpinBox(QWidget *parent) : QSpinBox(parent)
{
    setRange(0x00, 0xFF);
    setDisplayIntegerBase(16);
    setValue(0xFF);
}

QString HexSpinBox::textFromValue(int value) const
{
    return QString::number(value, 16).toUpper();
}

int HexSpinBox::valueFromText(const QString &text) const
{
    return text.toInt(nullptr, 16);
}

QValidator::State HexSpinBox::validate(QString &input, int &) const
{
    if (input.isEmpty())
        return QValidator::Intermediate;
    if (input.size() > 2 || !AllHex(input))
        return QValidator::Invalid;
    input = input.toUpper();
    return QValidator::Acceptable;
}
