#include "scenes/scenefilecommands.h"

#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/kvterror.h"
#include "scenes/filedialogs.h"
#include "scenes/keyswitch.h"
#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"
#include "scenes/storedsettings.h"

#include <QDir>

namespace {

const QString kMainFormSection = QStringLiteral("Form1");

} // namespace

SceneFileCommands::SceneFileCommands(SceneFileContext context,
                                     std::vector<StoredProperty> properties,
                                     std::unique_ptr<FileDialogs> dialogs)
    : m_context(std::move(context)),
      m_form(kMainFormSection, std::move(properties), &m_context.store),
      m_ownDialogs(std::move(dialogs)),
      m_dialogs(m_ownDialogs.get())
{
}

SceneFileCommands::~SceneFileCommands() = default;

void SceneFileCommands::checkIdle() const
{
    if (m_running)
        throw KvtError(QStringLiteral("A file command is still running; try again when it has finished."));
    // The panels are half way between two keys while a key switch runs.
    if (m_context.keys.isSwitching())
        throw KvtError(QStringLiteral("The key switch is still running; try again when it has finished."));
}

void SceneFileCommands::N2Click()
{
    checkIdle();
    if (!m_dialogs)
        return;
    const std::optional<QString> chosen = m_dialogs->openSceneFile();
    if (!chosen || chosen->isEmpty())
        return;
    openFile(*chosen, *chosen);
}

void SceneFileCommands::N5Click()
{
    checkIdle();
    // The file the storage is bound to: kvt.ini after start-up, else the file
    // last opened or saved.
    const QString name = m_context.storage.boundName();
    openFile(name, QDir::toNativeSeparators(m_context.storage.fullFileName()));
}

void SceneFileCommands::openFile(const QString &fileName, const QString &caption)
{
    checkIdle();
    {
        const CommandRunning running(m_running);

        // Everything is read from a storage of its own first: until the whole
        // file has been read and converted, nothing the user has is touched,
        // not even the binding.
        SceneFileStorage probe(m_context.programFolder, m_context.errors);
        probe.bind(fileName);
        const std::function<void()> showForm = m_form.read(probe);
        const std::function<void()> showPanels = m_context.panels.ReadSettings(probe);

        // The previously bound file receives the image as it stood.
        m_context.storage.bind(fileName);
        m_context.storage.load();

        showForm();
        m_context.setCaption(caption);
        // Nothing is stored back: the panels show key 1 of the new file.
        m_context.store.setShownKeyIndex(-1);
        m_context.keys.selectKeyIndex(0);
        m_context.keys.ComboBox1Enter();
        showPanels();
    }
    m_context.pacer.processEvents();
}

void SceneFileCommands::N3Click()
{
    checkIdle();
    if (!m_dialogs)
        return;
    const CommandRunning running(m_running);

    SceneFileStorage &storage = m_context.storage;
    // The bound file with its folder: a bare "kvt.ini" lives in the program
    // folder, which need not be the dialog's current folder.
    const QString offered = storage.fullFileName().isEmpty()
                                ? storage.boundName()
                                : QDir::toNativeSeparators(storage.fullFileName());
    const std::optional<QString> chosen = m_dialogs->saveSceneFile(offered);
    if (!chosen || chosen->isEmpty())
        return;
    // A file that exists but cannot be read is refused before anything is
    // bound: its contents are unknown and must not be written over.
    {
        SceneFileStorage probe(m_context.programFolder, m_context.errors);
        probe.bind(*chosen);
    }
    storage.bind(*chosen);

    // The panels hold the shown key, which can differ from the selection
    // (after a bulk command or a send-all): they are stored into the key
    // they hold, so no key receives another key's data.
    SceneStore &store = m_context.store;
    if (store.shownKeyIndex() >= 0)
        store.StoreKeyData(store.shownKeyIndex() + 1);
    m_form.save(storage);
    m_context.panels.SaveSettings(storage);
    // flush() reports a read-only file or a failed write with its path and
    // reason, and then leaves the file as it was.
    storage.flush();
    m_context.setCaption(*chosen);
}

void SceneFileCommands::FormShow()
{
    m_form.restore(m_context.storage);
}
