#include "app/ipaddressedit.h"

#include <QRegularExpressionValidator>

namespace {

// Up to four groups of up to three digits, each at most 255, while typing.
const QString kOctet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])");

} // namespace

IpAddressEdit::IpAddressEdit(QWidget *parent) : QLineEdit(parent)
{
    const QString partial = QStringLiteral("(%1?\\.){0,3}%1?").arg(kOctet);
    setValidator(new QRegularExpressionValidator(QRegularExpression(partial), this));
}

std::optional<quint32> IpAddressEdit::Parse(const QString &text)
{
    static const QRegularExpression full(QStringLiteral("^%1\\.%1\\.%1\\.%1$").arg(kOctet));
    const QRegularExpressionMatch m = full.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    quint32 value = 0;
    for (int i = 1; i <= 4; ++i)
        value = (value << 8) | m.captured(i).toUInt();
    return value;
}

QString IpAddressEdit::Format(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

qint32 IpAddressEdit::address() const
{
    return qint32(Parse(text()).value_or(0));
}

void IpAddressEdit::setAddress(qint32 address)
{
    setText(Format(quint32(address)));
}

bool IpAddressEdit::setAddressText(const QString &text)
{
    const std::optional<quint32> value = Parse(text);
    if (!value)
        return false;
    setText(Format(*value));
    return true;
}

void IpAddressEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit exited();
}
