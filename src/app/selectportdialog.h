#pragma once

#include "link/portchooser.h"

#include <QDialog>

class QComboBox;
class QWidget;

// "Select Port": shown when the serial link opens without a port. Lists the
// COMn that exist, the first one preselected.
class SelectPortDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SelectPortDialog(const QList<int> &ports, QWidget *parent = nullptr);
    // The n of the selected "COMn", 0 when the list is empty.
    int selectedPort() const;

private:
    QComboBox *m_ports;
};

// The program's PortChooser: the modal "Select Port" dialog.
class DialogPortChooser : public PortChooser
{
public:
    explicit DialogPortChooser(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    Choice choosePort(const QList<int> &ports) override;

private:
    QWidget *m_parent;
};
