#include "app/automationcommands.h"

#include "link/errorreporter.h"
#include "panels/ledindicator.h"
#include "protocol/kvterror.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxSlotArguments = 3;

[[noreturn]] void Fail(const QString &text)
{
    throw KvtError(text);
}

QString Quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

void ExpectWords(const QStringList &words, int min, int max, const char *usage)
{
    if (words.size() < min || words.size() > max)
        Fail(QStringLiteral("usage: %1").arg(QLatin1String(usage)));
}

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

QString Bool(bool value)
{
    return value ? QStringLiteral("ok true") : QStringLiteral("ok false");
}

int ParseIndex(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        Fail(QStringLiteral("%1 is not a number").arg(Quoted(text)));
    return value;
}

void SendClick(QWidget &widget)
{
    const QPointF centre = QRectF(widget.rect()).center();
    const QPointF global = widget.mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

// One argument of a slot, converted from its word.
struct SlotArgument
{
    QByteArray typeName;
    int intValue = 0;
    bool boolValue = false;
    QString stringValue;
    QByteArray bytesValue;
    QPointer<QObject> objectTarget;
    QObject *objectValue = nullptr;
    int kind = 0; // QMetaType id, or -1 for a QObject pointer

    void *data()
    {
        switch (kind) {
        case QMetaType::Int:
            return &intValue;
        case QMetaType::Bool:
            return &boolValue;
        case QMetaType::QString:
            return &stringValue;
        case QMetaType::QByteArray:
            return &bytesValue;
        default:
            objectValue = objectTarget.data();
            if (!objectValue)
                Fail(QStringLiteral("an argument of the slot no longer exists"));
            return &objectValue;
        }
    }
};

} // namespace

AutomationCommands::AutomationCommands(QWidget &mainWindow, ErrorReporter &errors)
    : m_mainWindow(mainWindow), m_errors(errors)
{
}

QString AutomationCommands::escaped(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString AutomationCommands::run(const QString &line)
{
    const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    try {
        if (words.isEmpty())
            Fail(QStringLiteral("empty command"));
        return escaped(dispatch(words));
    } catch (const KvtError &e) {
        return QStringLiteral("error ") + escaped(e.text());
    } catch (const std::exception &e) {
        return QStringLiteral("error ") + escaped(QString::fromLocal8Bit(e.what()));
    }
}

QString AutomationCommands::dispatch(const QStringList &words)
{
    const QString command = words.first();
    if (command == QLatin1String("find"))
        return findCommand(words);
    if (command == QLatin1String("text"))
        return textCommand(words);
    if (command == QLatin1String("checked"))
        return checkedCommand(words);
    if (command == QLatin1String("visible"))
        return stateCommand(words, true);
    if (command == QLatin1String("enabled"))
        return stateCommand(words, false);
    if (command == QLatin1String("click"))
        return clickCommand(words);
    if (command == QLatin1String("select"))
        return selectCommand(words);
    if (command == QLatin1String("invoke"))
        return invokeCommand(words);
    if (command == QLatin1String("grab"))
        return grabCommand(words);
    if (command == QLatin1String("close"))
        return closeCommand(words);
    if (command == QLatin1String("windows"))
        return windowsCommand(words);
    if (command == QLatin1String("quit"))
        return quitCommand(words);
    Fail(QStringLiteral("unknown command %1").arg(Quoted(command)));
}

QObject &AutomationCommands::find(const QString &path) const
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

QString AutomationCommands::uniqueContainer(const QObject &object) const
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

QWidget &AutomationCommands::findWidget(const QString &path) const
{
    QObject &object = find(path);
    auto *widget = qobject_cast<QWidget *>(&object);
    if (!widget)
        Fail(QStringLiteral("%1 is not a widget").arg(Quoted(path)));
    return *widget;
}

QString AutomationCommands::findCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "find NAME");
    return QStringLiteral("ok ") + QLatin1String(find(words[1]).metaObject()->className());
}

QString AutomationCommands::textCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "text NAME");
    QObject &o = find(words[1]);
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
    QObject &o = find(words[1]);
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
    QObject &o = find(words[1]);
    if (auto *action = qobject_cast<QAction *>(&o))
        return Bool(visible ? action->isVisible() : action->isEnabled());
    auto *widget = qobject_cast<QWidget *>(&o);
    if (!widget)
        Fail(QStringLiteral("%1 is neither a widget nor a menu item").arg(Quoted(words[1])));
    return Bool(visible ? widget->isVisible() : widget->isEnabled());
}

QString AutomationCommands::clickCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "click NAME");
    QObject &o = find(words[1]);
    QAction *action = qobject_cast<QAction *>(&o);
    if (auto *menu = qobject_cast<QMenu *>(&o))
        action = menu->menuAction();
    if (action) {
        if (!action->isEnabled())
            Fail(QStringLiteral("%1 is disabled").arg(Quoted(words[1])));
        QTimer::singleShot(0, action, [action] { action->trigger(); });
        return QStringLiteral("ok");
    }
    auto *widget = qobject_cast<QWidget *>(&o);
    if (!widget)
        Fail(QStringLiteral("%1 cannot be clicked").arg(Quoted(words[1])));
    if (!widget->isEnabled())
        Fail(QStringLiteral("%1 is disabled").arg(Quoted(words[1])));
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        QTimer::singleShot(0, button, [button] { button->click(); });
    else
        QTimer::singleShot(0, widget, [widget] { SendClick(*widget); });
    return QStringLiteral("ok");
}

QString AutomationCommands::selectCommand(const QStringList &words)
{
    ExpectWords(words, 3, 3, "select NAME INDEX");
    QWidget &widget = findWidget(words[1]);
    const int index = ParseIndex(words[2]);
    if (!widget.isEnabled())
        Fail(QStringLiteral("%1 is disabled").arg(Quoted(words[1])));
    if (auto *combo = qobject_cast<QComboBox *>(&widget)) {
        if (index < 0 || index >= combo->count())
            Fail(QStringLiteral("%1 has no entry %2").arg(Quoted(words[1])).arg(index));
        // As a user's choice: the selection changes, then the list reports it.
        QTimer::singleShot(0, combo, [combo, index] {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
            emit combo->textActivated(combo->itemText(index));
        });
        return QStringLiteral("ok");
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(&widget)) {
        if (index < 0 || index >= tabs->count())
            Fail(QStringLiteral("%1 has no page %2").arg(Quoted(words[1])).arg(index));
        if (!tabs->isTabVisible(index) || !tabs->isTabEnabled(index))
            Fail(QStringLiteral("page %2 of %1 cannot be chosen").arg(Quoted(words[1])).arg(index));
        QTimer::singleShot(0, tabs, [tabs, index] { tabs->setCurrentIndex(index); });
        return QStringLiteral("ok");
    }
    Fail(QStringLiteral("%1 has nothing to select").arg(Quoted(words[1])));
}

QString AutomationCommands::invokeCommand(const QStringList &words)
{
    if (words.size() < 3 || words.size() > 3 + kMaxSlotArguments)
        Fail(QStringLiteral("usage: invoke NAME SLOT [ARGUMENT...]"));
    QObject &target = find(words[1]);
    const QByteArray slotName = words[2].toUtf8();
    const QStringList values = words.mid(3);
    const QMetaObject *meta = target.metaObject();
    // Only the program's own handlers: Qt's slots (deleteLater, close, hide)
    // could pull the window away under the program.
    int firstOwn = meta->methodCount();
    for (const QMetaObject *m = meta; m; m = m->superClass())
        if (QLatin1String(m->className()).startsWith(QLatin1Char('Q'))) {
            firstOwn = m->methodCount();
            break;
        }
    QMetaMethod method;
    for (int i = firstOwn; i < meta->methodCount(); ++i) {
        const QMetaMethod m = meta->method(i);
        if (m.name() == slotName && m.parameterCount() == values.size() && m.access() == QMetaMethod::Public
            && (m.methodType() == QMetaMethod::Slot || m.methodType() == QMetaMethod::Method))
            method = m;
    }
    if (!method.isValid())
        Fail(QStringLiteral("%1 has no public slot %2 taking %3 argument(s)")
                 .arg(Quoted(words[1]), Quoted(words[2]))
                 .arg(values.size()));

    auto arguments = std::make_shared<std::vector<SlotArgument>>(size_t(values.size()));
    for (int i = 0; i < values.size(); ++i) {
        SlotArgument &a = (*arguments)[size_t(i)];
        const QMetaType type = method.parameterMetaType(i);
        const QString &value = values[i];
        a.typeName = type.name();
        a.kind = type.id();
        if (a.kind == QMetaType::Int) {
            a.intValue = ParseIndex(value);
        } else if (a.kind == QMetaType::Bool) {
            if (value != QLatin1String("true") && value != QLatin1String("false"))
                Fail(QStringLiteral("%1 is not true or false").arg(Quoted(value)));
            a.boolValue = value == QLatin1String("true");
        } else if (a.kind == QMetaType::QString) {
            a.stringValue = value;
        } else if (a.kind == QMetaType::QByteArray) {
            // Bytes are written as hex pairs, e.g. 480B01...
            static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
            if (!hex.match(value).hasMatch())
                Fail(QStringLiteral("%1 is not hex bytes").arg(Quoted(value)));
            a.bytesValue = QByteArray::fromHex(value.toLatin1());
        } else if (type.flags() & QMetaType::PointerToQObject) {
            QObject &object = find(value);
            if (type.metaObject() && !object.metaObject()->inherits(type.metaObject()))
                Fail(QStringLiteral("%1 is no %2").arg(Quoted(value), QLatin1String(a.typeName)));
            a.kind = -1;
            a.objectTarget = &object;
        } else {
            Fail(QStringLiteral("arguments of type %1 are not supported").arg(QLatin1String(a.typeName)));
        }
    }
    ErrorReporter &errors = m_errors;
    QObject *object = &target;
    QTimer::singleShot(0, object, [object, method, arguments, &errors] {
        RunGuarded(errors, [&] {
            QGenericArgument given[kMaxSlotArguments];
            for (size_t i = 0; i < arguments->size(); ++i)
                given[i] = QGenericArgument((*arguments)[i].typeName.constData(), (*arguments)[i].data());
            if (!method.invoke(object, Qt::DirectConnection, given[0], given[1], given[2]))
                Fail(QStringLiteral("%1 could not be invoked").arg(QLatin1String(method.methodSignature())));
        });
    });
    return QStringLiteral("ok");
}

QString AutomationCommands::grabCommand(const QStringList &words)
{
    ExpectWords(words, 2, 3, "grab PATH [NAME]");
    QWidget &widget = words.size() == 3 ? findWidget(words[2]) : m_mainWindow;
    const QPixmap picture = widget.grab();
    if (picture.isNull())
        Fail(QStringLiteral("%1 cannot be drawn").arg(Quoted(widget.objectName())));
    if (!picture.save(words[1], "PNG"))
        Fail(QStringLiteral("cannot write %1").arg(Quoted(words[1])));
    return QStringLiteral("ok %1x%2").arg(picture.width()).arg(picture.height());
}

QString AutomationCommands::closeCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "close NAME");
    QWidget &widget = findWidget(words[1]);
    if (!widget.isWindow())
        Fail(QStringLiteral("%1 is not a window").arg(Quoted(words[1])));
    if (auto *dialog = qobject_cast<QDialog *>(&widget))
        dialog->reject();
    else
        widget.close();
    return QStringLiteral("ok");
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

QString AutomationCommands::quitCommand(const QStringList &words)
{
    ExpectWords(words, 1, 1, "quit");
    QWidget *window = &m_mainWindow;
    // After this answer has gone out: close as the user does, then end the
    // program even when a dialog is still open.
    QTimer::singleShot(0, window, [window] {
        window->close();
        QCoreApplication::quit();
    });
    return QStringLiteral("ok");
}
