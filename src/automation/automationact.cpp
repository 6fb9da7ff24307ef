// The commands that act like a user: click, select, grab a picture, close a
// window, quit. Clicks and selections run from the event loop, so a handler
// that opens a modal dialog does not hold up the answer.
#include "automation/automationcommands.h"

#include "automation/automationwords.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

using namespace automation;

namespace {

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

} // namespace

QString AutomationCommands::clickCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "click NAME");
    QObject &o = m_locator.find(words[1]);
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
    QWidget &widget = m_locator.findWidget(words[1]);
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

QString AutomationCommands::grabCommand(const QStringList &words)
{
    ExpectWords(words, 2, 3, "grab PATH [NAME]");
    picturePath(words[1]); // refused before anything is drawn
    QWidget &widget = words.size() == 3 ? m_locator.findWidget(words[2]) : m_locator.mainWindow();
    const QPixmap picture = widget.grab();
    if (picture.isNull())
        Fail(QStringLiteral("%1 cannot be drawn").arg(Quoted(widget.objectName())));
    const QString path = picturePath(words[1]);
    if (!picture.save(path, "PNG"))
        Fail(QStringLiteral("cannot write %1").arg(Quoted(words[1])));
    return QStringLiteral("ok %1x%2").arg(picture.width()).arg(picture.height());
}

QString AutomationCommands::closeCommand(const QStringList &words)
{
    ExpectWords(words, 2, 2, "close NAME");
    QWidget &widget = m_locator.findWidget(words[1]);
    if (!widget.isWindow())
        Fail(QStringLiteral("%1 is not a window").arg(Quoted(words[1])));
    if (auto *dialog = qobject_cast<QDialog *>(&widget))
        dialog->reject();
    else
        widget.close();
    return QStringLiteral("ok");
}

QString AutomationCommands::quitCommand(const QStringList &words)
{
    ExpectWords(words, 1, 1, "quit");
    QWidget *window = &m_locator.mainWindow();
    // After this answer has gone out: close as the user does, then end the
    // program even when a dialog is still open.
    QTimer::singleShot(0, window, [window] {
        window->close();
        QCoreApplication::quit();
    });
    return QStringLiteral("ok");
}

// Inside the folder, also once links are followed: a name with "..", an
// absolute path elsewhere, a subfolder that is a link out of it or a link
// in the picture's place are refused.
QString AutomationCommands::picturePath(const QString &name) const
{
    if (m_pictureFolder.isEmpty())
        Fail(QStringLiteral("grab has no picture folder"));
    const auto within = [](const QString &path, const QString &root) {
        return path == root || path.startsWith(root + QLatin1Char('/'));
    };
    const QString base = QDir::cleanPath(QFileInfo(m_pictureFolder).absoluteFilePath());
    const QString folder = QFileInfo(base).canonicalFilePath();
    const QString path = QDir::cleanPath(QDir(base).absoluteFilePath(name));
    const QFileInfo target(path);
    // Empty when the picture's folder does not exist.
    const QString parent = QFileInfo(target.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || !path.startsWith(base + QLatin1Char('/')) || (!parent.isEmpty() && !within(parent, folder))
        || target.isSymLink())
        Fail(QStringLiteral("%1 is outside the picture folder %2").arg(Quoted(name), Quoted(m_pictureFolder)));
    if (parent.isEmpty())
        Fail(QStringLiteral("cannot write %1").arg(Quoted(name)));
    return parent + QLatin1Char('/') + target.fileName();
}
