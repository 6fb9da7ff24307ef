#pragma once

#include "protocol/kvterror.h"

#include <QString>
#include <vector>

// The window's panels of one kind, numbered 1..count() with the count fixed
// when the table is made (from the board table). The window fills it once when
// it creates the panels; a test may bind a stand-in in a panel's place.
template <typename Panel>
class PanelTable
{
public:
    // kind names the panels in the error raised for a number outside the table.
    PanelTable(int count, QString kind) : m_panels(size_t(count), nullptr), m_kind(std::move(kind)) {}

    int count() const { return int(m_panels.size()); }
    // Panel n, nullptr outside 1..count() or where none is bound.
    Panel *at(int n) const { return contains(n) ? m_panels[size_t(n - 1)] : nullptr; }
    // Raises KvtError outside 1..count().
    void bind(int n, Panel *panel)
    {
        if (!contains(n))
            throw KvtError(QStringLiteral("%1 %2 does not exist").arg(m_kind).arg(n));
        m_panels[size_t(n - 1)] = panel;
    }
    bool contains(int n) const { return n >= 1 && n <= count(); }

    // Runs f(n, panel) for every bound panel in number order.
    template <typename F>
    void forEach(F f) const
    {
        for (int n = 1; n <= count(); ++n)
            if (Panel *panel = m_panels[size_t(n - 1)])
                f(n, *panel);
    }

private:
    std::vector<Panel *> m_panels;
    QString m_kind;
};
