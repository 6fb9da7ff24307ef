#include "app/windowplacement.h"

#include <QRect>
#include <QStringList>
#include <QWidget>

namespace {

// Window show states as the settings file keeps them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

const QString kNoMinMaxPosition = QStringLiteral("-1,-1,-1,-1");

int ShowCmd(const QWidget &window)
{
    if (window.isMaximized())
        return kShowMaximized;
    if (window.isMinimized())
        return kShowMinimized;
    return kShowNormal;
}

QString NormPos(const QWidget &window)
{
    const QRect bounds = window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    return QStringLiteral("%1,%2,%3,%4")
        .arg(bounds.left())
        .arg(bounds.top())
        .arg(bounds.left() + bounds.width())
        .arg(bounds.top() + bounds.height());
}

// Bounds that do not read as four numbers with right > left and bottom > top
// leave the window where it is. The bounds are the window's normal ones even
// when it has already been maximized.
void SetNormPos(QWidget &window, const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return;
    int value[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        value[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return;
    }
    const int left = value[0], top = value[1], right = value[2], bottom = value[3];
    if (right <= left || bottom <= top)
        return;
    const Qt::WindowStates state = window.windowState();
    window.setWindowState(Qt::WindowNoState);
    window.setGeometry(left, top, right - left, bottom - top);
    window.setWindowState(state);
}

} // namespace

std::vector<StoredProperty> WindowPlacementProperties(QWidget &window)
{
    QWidget *w = &window;
    const auto keep = [](int) {};
    return {
        {QStringLiteral("ShowCmd"), StoredProperty::Kind::Integer, [w] { return ShowCmd(*w); },
         [w](int showCmd) { w->setWindowState(showCmd == kShowMaximized ? Qt::WindowMaximized : Qt::WindowNoState); }},
        {QStringLiteral("Flags"), StoredProperty::Kind::Integer, [] { return 0; }, keep},
        {QStringLiteral("PixelsPerInch"), StoredProperty::Kind::Integer, [w] { return w->logicalDpiY(); }, keep},
        StoredProperty::text(QStringLiteral("MinMaxPos"), [] { return kNoMinMaxPosition; }, [](const QString &) {}),
        StoredProperty::text(QStringLiteral("NormPos"), [w] { return NormPos(*w); },
                             [w](const QString &text) { SetNormPos(*w, text); }),
    };
}
