#pragma once

// The file menu of a whole main window for the file command tests: the
// dialogs answered by the test, stand-ins for the panels that keep settings
// of their own, and helpers that read a scene file's sections.

#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "link/devicelink.h"
#include "scenes/filedialogs.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenefilestorage.h"
#include "scenes/storedsettings.h"

#include <QCheckBox>
#include <QFile>
#include <QSpinBox>
#include <QTest>
#include <memory>
#include <vector>

// Answers the dialogs as the test says and records what they were offered.
class ScriptedFileDialogs : public FileDialogs
{
public:
    std::optional<QString> openSceneFile() override
    {
        ++openCount;
        return openAnswer;
    }
    std::optional<QString> saveSceneFile(const QString &startName) override
    {
        saveStartNames.append(startName);
        return saveAnswer;
    }

    std::optional<QString> openAnswer;
    std::optional<QString> saveAnswer;
    int openCount = 0;
    QStringList saveStartNames;
};

// Stands in for a panel that keeps settings of its own in the file: a
// six-key button (Loop and Caption) or a circuit (Title).
class FakePanelSettings : public StoredSettings
{
public:
    FakePanelSettings(QString section, bool keepsLoop)
        : m_section(std::move(section)), m_keepsLoop(keepsLoop)
    {
    }

    void SaveSettings(SceneFileStorage &storage) override
    {
        if (m_keepsLoop)
            storage.writeBool(m_section + QStringLiteral("\\Loop"), loop);
        storage.writeText(m_section + textEntry(), text);
    }
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const override
    {
        const bool newLoop = m_keepsLoop ? storage.readBool(m_section + QStringLiteral("\\Loop"), true) : loop;
        const QString newText = storage.readText(m_section + textEntry(), QString());
        auto *self = const_cast<FakePanelSettings *>(this);
        return [self, newLoop, newText] {
            self->loop = newLoop;
            self->text = newText;
        };
    }

    bool loop = true;
    QString text;

private:
    QString textEntry() const
    {
        return m_keepsLoop ? QStringLiteral("\\Caption") : QStringLiteral("\\Title");
    }

    QString m_section;
    bool m_keepsLoop;
};

inline QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(bytes);
}

inline QStringList Lines(const QByteArray &file)
{
    return QString::fromLatin1(file).split(QStringLiteral("\r\n"));
}

inline QStringList SectionsOf(const QByteArray &file)
{
    QStringList sections;
    for (const QString &line : Lines(file))
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            sections.append(line.mid(1, line.size() - 2));
    return sections;
}

// The lines of one section, up to the empty line that ends it.
inline QStringList SectionLines(const QByteArray &file, const QString &section)
{
    const QStringList lines = Lines(file);
    const qsizetype start = lines.indexOf(QLatin1Char('[') + section + QLatin1Char(']'));
    if (start < 0)
        return {};
    QStringList entries;
    for (qsizetype i = start + 1; i < lines.size() && !lines[i].isEmpty(); ++i)
        entries.append(lines[i]);
    return entries;
}

inline const QByteArray kPattern = QByteArray::fromHex("8101810081008180");

// A main window with the file dialogs answered by the test and stand-ins for
// the six-key panels and the circuit titles bound to the file commands.
struct FileMenu
{
    explicit FileMenu(const QByteArray &settingsFile = QByteArray()) : fixture(settingsFile)
    {
        fixture.form().sceneFile().setFileDialogs(dialogs);
        // Titles bound first: the file keeps the six-key panels before them anyway.
        for (int c = 1; c <= 6; ++c) {
            titles.push_back(std::make_unique<FakePanelSettings>(
                QStringLiteral("\\6Lights\\Circle%1").arg(c), false));
            fixture.form().panelSettings().bindCircuitTitle(c, titles.back().get());
        }
        for (int p = 1; p <= 10; ++p) {
            sixKeys.push_back(std::make_unique<FakePanelSettings>(
                QStringLiteral("\\6key%1\\key1").arg(p), true));
            fixture.form().panelSettings().bindSixKeyPanel(p, sixKeys.back().get());
        }
    }

    TForm1 &form() { return fixture.form(); }
    SceneStore &store() { return form().sceneStore(); }
    QString path(const QString &name) const { return fixture.dir.filePath(name); }

    // The menu items, as the user chooses them: errors are reported.
    void open(const QString &file)
    {
        dialogs.openAnswer = file;
        form().menu().N2->trigger();
    }
    void save(const QString &file)
    {
        dialogs.saveAnswer = file;
        form().menu().N3->trigger();
    }
    void reload() { form().menu().N5->trigger(); }
    // What the user can see and lose: a few store entries, the stored
    // properties, the caption, a six-key panel's settings, the bound file.
    QStringList state()
    {
        return {store().key(1).board(1).toHex(),
                store().key(3).board(2).toHex(),
                QString::number(store().key(3).group(1).levels[0]),
                QString::number(form().link().comNumber()),
                QString::number(form().pages().cb6LightsEnabled->isChecked()),
                QString::number(form().pages().se6LightsMno->value()),
                form().windowTitle(),
                sixKeys[1]->text,
                QString::number(sixKeys[1]->loop),
                form().storage().boundName()};
    }

    MainWindowFixture fixture;
    ScriptedFileDialogs dialogs;
    std::vector<std::unique_ptr<FakePanelSettings>> titles;
    std::vector<std::unique_ptr<FakePanelSettings>> sixKeys;
};

// A scene file that sets something in every place state() looks at.
inline const QByteArray kGoodFile = "[Form1]\r\nFormVersion=0\r\nApdWinsockPort1_ComNumber=5\r\n"
                                    "cb6LightsEnabled_Checked=TRUE\r\nse6LightsMno_Value=9\r\n\r\n"
                                    "[RawData\\Key1]\r\nBoard1=11\r\n\r\n"
                                    "[RawData\\Key3]\r\nBoard2=33\r\n\r\n"
                                    "[RawData\\Key3\\Dimmer1]\r\nTime1=2\r\n\r\n"
                                    "[6key2\\key1]\r\nLoop=FALSE\r\nCaption=A\r\n\r\n";
