#include "automation/objectlocator.h"

#include "automation/automationwords.h"

#include <QApplication>
#include <QList>
#include <QWidget>

using namespace automation;

namespace {

bool IsUnder(const QObject *object, const QObject *ancestor)
{
    for (const QObject *o = object; o; o = o->parent())
        if (o == ancestor)
            return true;
    return false;
}

// The objects named `name` at the smallest depth below `root` (the root itself
// counts when includeRoot is set).
QList<QObject *> ShallowestNamed(QObject *root, const QString &name, bool includeRoot)
{
    if (includeRoot && root->objectName() == name)
        return {root};
    QList<QObject *> level = root->children();
    while (!level.isEmpty()) {
        QList<QObject *> found;
        QList<QObject *> next;
        for (QObject *o : level) {
            if (o->objectName() == name)
                found.append(o);
            next.append(o->children());
        }
        if (!found.isEmpty())
            return found;
        level = next;
    }
    return {};
}

} // namespace

QObject &ObjectLocator::find(const QString &path) const
{
    const QStringList names = path.split(QLatin1Char('/'));
    QList<QObject *> roots{&m_mainWindow};
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!IsUnder(w, &m_mainWindow))
            roots.append(w);
    QObject *current = nullptr;
    for (const QString &name : names) {
        if (name.isEmpty())
            Fail(QStringLiteral("%1 is not a name").arg(Quoted(path)));
        QList<QObject *> found;
        if (current) {
            found = ShallowestNamed(current, name, false);
        } else {
            for (QObject *root : roots) {
                found = ShallowestNamed(root, name, true);
                if (!found.isEmpty())
                    break;
            }
        }
        // A window nobody named (a message box) goes by its class.
        if (found.isEmpty() && !current)
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->objectName().isEmpty()
                    && QLatin1String(w->metaObject()->className()) == name)
                    found.append(w);
        if (found.isEmpty())
            Fail(QStringLiteral("no object named %1").arg(Quoted(path)));
        if (found.size() > 1) {
            const QString parent = uniqueContainer(*found.first());
            Fail(QStringLiteral("%1 names %2 objects; name its container, e.g. %3/%4")
                     .arg(Quoted(name))
                     .arg(found.size())
                     .arg(parent.isEmpty() ? QStringLiteral("PARENT") : parent, name));
        }
        current = found.first();
    }
    return *current;
}

QString ObjectLocator::uniqueContainer(const QObject &object) const
{
    for (const QObject *o = object.parent(); o; o = o->parent()) {
        if (o->objectName().isEmpty())
            continue;
        try {
            if (&find(o->objectName()) == o)
                return o->objectName();
        } catch (const KvtError &) {
        }
    }
    return QString();
}

QWidget &ObjectLocator::findWidget(const QString &path) const
{
    QObject &object = find(path);
    auto *widget = qobject_cast<QWidget *>(&object);
    if (!widget)
        Fail(QStringLiteral("%1 is not a widget").arg(Quoted(path)));
    return *widget;
}
