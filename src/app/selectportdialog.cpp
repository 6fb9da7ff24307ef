#include "app/selectportdialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

SelectPortDialog::SelectPortDialog(const QList<int> &ports, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectPortDialog"));
    setWindowTitle(QStringLiteral("Select Port"));
    auto *layout = new QVBoxLayout(this);
    auto *line1 = new QLabel(QStringLiteral("The configured serial port is not valid."), this);
    line1->setObjectName(QStringLiteral("lbLine1"));
    auto *line2 = new QLabel(QStringLiteral("Please choose another port."), this);
    line2->setObjectName(QStringLiteral("lbLine2"));
    layout->addWidget(line1);
    layout->addWidget(line2);

    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("cbPorts"));
    for (int n : ports)
        m_ports->addItem(QStringLiteral("COM%1").arg(n), n);
    if (m_ports->count() > 0)
        m_ports->setCurrentIndex(0);
    layout->addWidget(m_ports);

    auto *buttons = new QHBoxLayout;
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int SelectPortDialog::selectedPort() const
{
    // The number after "COM" of the chosen entry.
    const QString text = m_ports->currentText();
    return text.startsWith(QLatin1String("COM")) ? text.mid(3).toInt() : 0;
}

PortChooser::Choice DialogPortChooser::choosePort(const QList<int> &ports)
{
    SelectPortDialog dialog(ports, m_parent);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return {accepted, accepted ? dialog.selectedPort() : 0};
}
