#pragma once

#include <QList>

// Asks the user for a serial port when none is set ("Select Port"). The
// program shows a dialog; tests answer with a script.
class PortChooser
{
public:
    struct Choice
    {
        bool accepted = false; // "OK"
        int comNumber = 0; // the chosen n of COMn; 0 when the list was empty
    };

    virtual ~PortChooser() = default;
    // ports: the numbers n of the COMn that exist, ascending.
    virtual Choice choosePort(const QList<int> &ports) = 0;
};
