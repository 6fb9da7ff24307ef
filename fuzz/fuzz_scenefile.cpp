// The scene-file reader (the Big5 INI image and the main window's form
// section with the 62 key scenes) under arbitrary bytes as a file.
// Invariants: a file that is refused leaves the SceneStore as it was; a file
// that loads, saved and loaded again, gives the same SceneStore.
#include "link/errorreporter.h"
#include "protocol/kvterror.h"
#include "scenes/formsection.h"
#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

// In memory where there is a tmpfs: saving syncs the file to the disk.
QTemporaryDir *Folder()
{
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/kvt-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/kvt-fuzz-XXXXXX"));
    return &folder;
}

void Quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// Write errors count as findings only through the checks below.
class Reporter : public ErrorReporter
{
public:
    void report(const QString &) override {}
};

// The store as one byte string, for comparing.
QByteArray Image(const SceneStore &store)
{
    QByteArray out;
    for (int n = 1; n <= kKeyCount; ++n) {
        const KeyScene &scene = store.key(n);
        for (const QByteArray &data : scene.boardData)
            out += QByteArray::number(data.size()) + ':' + data;
        for (const QByteArray &data : scene.circuitData)
            out += QByteArray::number(data.size()) + ':' + data;
        for (const DimmerGroupLevels &group : scene.dimmer) {
            out += QByteArray::number(group.enabled) + ',';
            for (int level : group.levels)
                out += QByteArray::number(level) + ',';
        }
    }
    return out;
}

void FillWithMarkers(SceneStore &store)
{
    for (int n = 1; n <= kKeyCount; ++n) {
        KeyScene &scene = store.key(n);
        scene.board(1) = QByteArray(8, char(n));
        scene.group(2).levels[1] = n % 4;
    }
}

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
}

bool Read(SceneStore &store, const QString &file)
{
    Reporter reporter;
    FormSection form(QStringLiteral("Form1"), {}, &store);
    try {
        SceneFileStorage storage(Folder()->path(), reporter);
        storage.bind(file);
        form.read(storage)();
        return true;
    } catch (const KvtError &) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(Quiet);
    return Folder()->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QString input = Folder()->filePath(QStringLiteral("input.ini"));
    const QString saved = Folder()->filePath(QStringLiteral("saved.ini"));
    {
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            Fail("cannot write the input file");
        file.write(reinterpret_cast<const char *>(bytes), qint64(size));
    }
    QFile::remove(saved);

    SceneStore store;
    FillWithMarkers(store);
    const QByteArray before = Image(store);
    if (!Read(store, input)) {
        if (Image(store) != before)
            Fail("a refused file changed the store");
        return 0;
    }
    {
        Reporter reporter;
        SceneFileStorage storage(Folder()->path(), reporter);
        storage.bind(saved);
        FormSection(QStringLiteral("Form1"), {}, &store).save(storage);
        if (!storage.flush())
            Fail("the loaded store could not be saved");
    }
    SceneStore again;
    if (!Read(again, saved))
        Fail("a saved file was refused");
    if (Image(again) != Image(store))
        Fail("saved and loaded again, the store differs");
    return 0;
}
