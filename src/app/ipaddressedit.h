#pragma once

#include <QLineEdit>
#include <optional>

// An IPv4 address field: four dotted octets. Address is the same address as
// one signed 32-bit number, first octet in the most significant byte.
// exited() is emitted when the focus leaves the field.
class IpAddressEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget *parent = nullptr);

    // 0 while the text is not a complete address.
    qint32 address() const;
    void setAddress(qint32 address);
    // Takes a complete dotted address; anything else is ignored.
    bool setAddressText(const QString &text);

    static std::optional<quint32> Parse(const QString &text);
    static QString Format(quint32 address);

signals:
    void exited();

protected:
    void focusOutEvent(QFocusEvent *event) override;
};
