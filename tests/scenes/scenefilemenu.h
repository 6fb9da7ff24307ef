#pragma once

// The file menu of a whole main window for the file command tests: the
// dialogs answered by the test, stand-ins for the panels that keep settings
// of their own, and helpers that read a scene file's sections.

#include "fakeviews.h"
#include "mainwindowfixture.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "link/devicelink.h"
#include "panels/sixcircuit.h"
#include "scenes/filedialogs.h"
#include "scenes/scenefilecommands.h"
#include "scenes/scenefilestorage.h"
#include "scenes/storedsettings.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
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

// Stands in for a six-key panel that keeps settings of its own in the file:
// one button's Loop and Caption.
class FakePanelSettings : public NullSixKeyPanel
{
public:
    explicit FakePanelSettings(QString section) : m_section(std::move(section)) {}

    void SaveSettings(SceneFileStorage &storage) override
    {
        storage.writeBool(m_section + QStringLiteral("\\Loop"), loop);
        storage.writeText(m_section + QStringLiteral("\\Caption"), text);
    }
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const override
    {
        const bool newLoop = storage.readBool(m_section + QStringLiteral("\\Loop"), true);
        const QString newText = storage.readText(m_section + QStringLiteral("\\Caption"), QString());
        auto *self = const_cast<FakePanelSettings *>(this);
        return [self, newLoop, newText] {
            self->loop = newLoop;
            self->text = newText;
        };
    }

    bool loop = true;
    QString text;

private:
    QString m_section;
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
// the six-key panels bound in their table; the circuit titles are the
// window's own six-circuit panels.
struct FileMenu
{
    explicit FileMenu(const QByteArray &settingsFile = QByteArray()) : fixture(settingsFile)
    {
        fixture.form().sceneFile().setFileDialogs(dialogs);
        for (int p = 1; p <= 10; ++p) {
            sixKeys.push_back(std::make_unique<FakePanelSettings>(QStringLiteral("\\6key%1\\key1").arg(p)));
            fixture.form().panels().SixKeyPanels.bind(p, sixKeys.back().get());
        }
    }

    // The title field of circuit 1..6.
    QLineEdit *title(int circuit) { return form().panels().DimmerPanels.at(circuit)->titleEdit(); }
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
    std::vector<std::unique_ptr<FakePanelSettings>> sixKeys;
};

// A scene file that sets something in every place state() looks at.
inline const QByteArray kGoodFile = "[Form1]\r\nFormVersion=0\r\nApdWinsockPort1_ComNumber=5\r\n"
                                    "cb6LightsEnabled_Checked=TRUE\r\nse6LightsMno_Value=9\r\n\r\n"
                                    "[RawData\\Key1]\r\nBoard1=11\r\n\r\n"
                                    "[RawData\\Key3]\r\nBoard2=33\r\n\r\n"
                                    "[RawData\\Key3\\Dimmer1]\r\nTime1=2\r\n\r\n"
                                    "[6key2\\key1]\r\nLoop=FALSE\r\nCaption=A\r\n\r\n";
