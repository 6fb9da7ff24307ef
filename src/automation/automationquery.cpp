// The query commands: what a control is, says, shows and whether it is
// checked, visible or enabled; which windows are shown.
#include "automation/automationcommands.h"

#include "automation/automationwords.h"
#include "panels/ledindicator.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>

using namespace automation;

namespace {

QString Bool(bool value)
{
    return value ? QStringLiteral("ok true") : QStringLiteral("ok false");
}

} // namespace

QString AutomationCommands::findCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "find NAME");
    return QStringLiteral("ok ") + QLatin1String(m_locator.find(words[1]).metaObject()->className());
}

QString AutomationCommands::textCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "text NAME");
    QObject &o = m_locator.find(words[1]);
    QString text;
    if (auto *box = qobject_cast<QMessageBox *>(&o))
        text = box->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(&o))
        text = button->text();
    else if (auto *action = qobject_cast<QAction *>(&o))
        text = action->text();
    else if (auto *menu = qobject_cast<QMenu *>(&o))
        text = menu->title();
    else if (auto *label = qobject_cast<QLabel *>(&o))
        text = label->text();
    else if (auto *edit = qobject_cast<QLineEdit *>(&o))
        text = edit->text();
    else if (auto *combo = qobject_cast<QComboBox *>(&o))
        text = combo->currentText();
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(&o))
        text = spin->text();
    else if (auto *tabs = qobject_cast<QTabWidget *>(&o))
        text = tabs->tabText(tabs->currentIndex());
    else if (auto *group = qobject_cast<QGroupBox *>(&o))
        text = group->title();
    else if (auto *status = qobject_cast<QStatusBar *>(&o))
        text = status->currentMessage();
    else if (auto *widget = qobject_cast<QWidget *>(&o); widget && widget->isWindow())
        text = widget->windowTitle();
    else if (const QVariant value = o.property("text"); value.isValid())
        text = value.toString();
    else
        Fail(QStringLiteral("%1 (%2) has no text").arg(Quoted(words[1]), QLatin1String(o.metaObject()->className())));
    return QStringLiteral("ok ") + text;
}

QString AutomationCommands::checkedCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "checked NAME");
    QObject &o = m_locator.find(words[1]);
    if (auto *button = qobject_cast<QAbstractButton *>(&o); button && button->isCheckable())
        return Bool(button->isChecked());
    if (auto *action = qobject_cast<QAction *>(&o); action && action->isCheckable())
        return Bool(action->isChecked());
    if (auto *group = qobject_cast<QGroupBox *>(&o); group && group->isCheckable())
        return Bool(group->isChecked());
    if (auto *led = qobject_cast<LedIndicator *>(&o))
        return Bool(led->isOn());
    Fail(QStringLiteral("%1 cannot be checked").arg(Quoted(words[1])));
}

QString AutomationCommands::stateCommand(const QStringList &words, bool visible)
{
    ExpectWords(words, 2, 2, visible ? "visible NAME" : "enabled NAME");
    QObject &o = m_locator.find(words[1]);
    if (auto *action = qobject_cast<QAction *>(&o))
        return Bool(visible ? action->isVisible() : action->isEnabled());
    auto *widget = qobject_cast<QWidget *>(&o);
    if (!widget)
        Fail(QStringLiteral("%1 is neither a widget nor a menu item").arg(Quoted(words[1])));
    return Bool(visible ? widget->isVisible() : widget->isEnabled());
}

QString AutomationCommands::windowsCommand(const QStringList &words)
{
    ExpectWords(words, 1, 1, "windows");
    QStringList shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown.append(w->objectName() + QLatin1Char(':') + QLatin1String(w->metaObject()->className()));
    shown.sort();
    return (QStringLiteral("ok ") + shown.join(QLatin1Char(' '))).trimmed();
}
