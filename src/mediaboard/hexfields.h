#pragma once

#include <QLineEdit>
#include <QSpinBox>

// An edit field that holds a hexadecimal number. Only hex digits can be
// typed or pasted (text with anything else is refused whole and the field
// keeps what it had); letters the user enters appear in upper case, text the
// program sets stays as set; upper- and lower-case letters read alike. An
// empty field reads as 0.
//
// maxDigits 0 leaves the length open: the value then uses only the low bits
// the caller asks for, the higher digits are simply not used.
class HexEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit HexEdit(int maxDigits = 0, QWidget *parent = nullptr);

    // The text's value modulo 2^bits (bits 1..32).
    quint32 lowBits(int bits) const;
    // Shows the number in upper-case hex without leading zeros ("0" for 0).
    void setNumber(quint32 value);
    // An address field: shows an empty text when its value is 0, once the
    // user has finished editing it.
    void setZeroShowsEmpty(bool on);

private:
    bool m_zeroShowsEmpty = false;
};

// A spin field of one byte, typed and shown in hexadecimal (at most two
// upper-case digits).
class HexSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit HexSpinBox(QWidget *parent = nullptr);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &input, int &pos) const override;
};
