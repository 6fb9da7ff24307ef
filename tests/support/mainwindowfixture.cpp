#include "mainwindowfixture.h"

#include "link/devicelink.h"
#include "panels/lightboard.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QTest>

#include <cstdio>

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform warns about every popup it cannot raise or grab;
// those lines say nothing about the program.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, text);
    else
        fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

MainWindowFixture::MainWindowFixture(const QByteArray &settingsFile)
{
    static const bool quiet = [] {
        g_previousHandler = qInstallMessageHandler(QuietOffscreenWarnings);
        return true;
    }();
    Q_UNUSED(quiet);
    if (!settingsFile.isNull()) {
        QFile file(settingsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(settingsFile);
    }
    AppEnvironment environment{dir.path(), pacer, errors,
                               [this] {
                                   auto memory = std::make_unique<InMemoryTransport>();
                                   transport = memory.get();
                                   auto link = std::make_unique<DeviceLink>(std::move(memory));
                                   link->setPortChooser(&portChooser);
                                   link->setErrorReporter(&errors); // as the program's link reports
                                   link->setPortLister([] { return QList<int>{1, 2, 3}; });
                                   return link;
                               },
                               [this](QDialog &dialog) { modalDialogs.append(dialog.objectName()); }};
    window = std::make_unique<TForm1>(environment);
}

MainWindowFixture::~MainWindowFixture() = default;

QString MainWindowFixture::settingsPath() const
{
    return dir.filePath(QStringLiteral("kvt.ini"));
}

QComboBox *MainWindowFixture::keyList() const
{
    return find<QComboBox>(QStringLiteral("ComboBox1"));
}

TfmLightBoard *MainWindowFixture::lightBoard(int n) const
{
    return find<TfmLightBoard>(QStringLiteral("fmLightBoard%1").arg(n));
}

void MainWindowFixture::userSelectKey(int keyIndex)
{
    QComboBox *combo = keyList();
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    const QModelIndex entry = view->model()->index(keyIndex, combo->modelColumn());
    view->scrollTo(entry);
    const QPoint at = view->visualRect(entry).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    // The popup closes and emits the selection after the click's release.
    QCoreApplication::processEvents();
}

void MainWindowFixture::setBoardPresent(int slot, bool present)
{
    window->panels().BoardCheckBoxes.at(slot)->setChecked(present);
}

void MainWindowFixture::clearTraffic()
{
    transport->clearWrites();
    pacer.clearSteps();
    errors.clear();
}
