#pragma once

#include "scenes/formsection.h"

#include <QString>
#include <functional>
#include <memory>

class ErrorReporter;
class FileDialogs;
class KeySwitch;
class Pacer;
class PanelSettingsList;
class SceneFileStorage;
class SceneStore;

// What the file commands work on; all of it belongs to the main window.
struct SceneFileContext
{
    // Where a bare file name such as "kvt.ini" lives.
    QString programFolder;
    SceneFileStorage &storage;
    SceneStore &store;
    KeySwitch &keys;
    PanelSettingsList &panels;
    Pacer &pacer;
    ErrorReporter &errors;
    // Sets the main window's caption.
    std::function<void(const QString &)> setCaption;
};

// The file menu "檔案": open ("開啟"), save ("存檔") and reload ("重新讀入")
// of a scene file, and the restore of the main window's form section when the
// window is first shown.
//
// A file is taken all or nothing: it is read in full into fresh values first;
// a file that cannot be read or a value that does not convert is reported and
// leaves the SceneStore, the stored properties, the panels, the caption and
// the bound file as they were. A save that fails is reported and leaves the
// file on the disk as it was.
class SceneFileCommands
{
public:
    // The main window's form section is "Form1" with the given stored
    // properties, in list order.
    SceneFileCommands(SceneFileContext context, std::vector<StoredProperty> properties,
                      std::unique_ptr<FileDialogs> dialogs);
    ~SceneFileCommands();

    // "開啟": asks for a file (it need not exist), binds the storage to it and
    // loads it; the panels then show key 1.
    void N2Click();
    // "存檔": asks for a file, offering the bound one; the previously bound
    // file first receives the image as it stood. The panels are stored into
    // the key they show, then everything is written.
    void N3Click();
    // "重新讀入": loads the bound file again, as an open of that file does.
    void N5Click();
    // The first showing of the main window: its form section is restored from
    // the image loaded at start-up.
    void FormShow();

    // Replaces the dialogs (tests); the commands do not own them.
    void setFileDialogs(FileDialogs &dialogs) { m_dialogs = &dialogs; }
    const FormSection &mainFormSection() const { return m_form; }

private:
    void openFile(const QString &fileName, const QString &caption);
    void checkIdle() const;

    SceneFileContext m_context;
    FormSection m_form;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    FileDialogs *m_dialogs;
    bool m_running = false;
};
