// Load and save of a full scene file: 62 keys with their board and circuit
// data and two dimmer sections each, and the 60 six-key button sections with
// Chinese captions, through the Big5 file on disk.
#include "recordingerrorreporter.h"

#include "scenes/scenefilestorage.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

void FillSceneImage(SceneFileStorage &storage)
{
    storage.writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    for (int key = 1; key <= 62; ++key) {
        for (int slot = 1; slot <= 19; ++slot) {
            QByteArray data(8, '\0');
            for (int i = 0; i < 8; ++i)
                data[i] = char(key * 31 + slot * 7 + i);
            storage.writeBytes(QStringLiteral("\\RawData\\Key%1\\Board%2").arg(key).arg(slot),
                               data);
        }
        for (int circuit = 1; circuit <= 6; ++circuit)
            storage.writeBytes(QStringLiteral("\\RawData\\Key%1\\6Lights%2").arg(key).arg(circuit),
                               QByteArray::fromHex("10203040"));
        for (int group = 1; group <= 2; ++group)
            for (int t = 0; t <= 4; ++t)
                storage.writeInteger(
                    QStringLiteral("\\RawData\\Key%1\\Dimmer%2\\Time%3").arg(key).arg(group).arg(t),
                    key + t);
    }
    const QString caption = QString::fromUtf8("燈光設定");
    for (int panel = 1; panel <= 10; ++panel) {
        for (int button = 1; button <= 6; ++button) {
            const QString section = QStringLiteral("\\6key%1\\key%2\\").arg(panel).arg(button);
            storage.writeBool(section + "Loop", true);
            storage.writeBool(section + "Stop", false);
            storage.writeBool(section + "Second", true);
            storage.writeBool(section + "Minute", false);
            storage.writeInteger(section + "Value", 30);
            storage.writeInteger(section + "QTValue", 8);
            storage.writeText(section + "Caption", caption);
            storage.writeText(section + "Hint", QString::number(button + 10));
        }
    }
}

struct SceneFileFixture
{
    SceneFileFixture() : storage(dir.path(), reporter)
    {
        storage.bind(QStringLiteral("kvt.ini"));
        FillSceneImage(storage);
        storage.flush();
    }
    QTemporaryDir dir;
    RecordingErrorReporter reporter;
    SceneFileStorage storage;
};

// Read, decode and parse the whole file.
void BM_LoadSceneFile(benchmark::State &state)
{
    SceneFileFixture fixture;
    for (auto _ : state) {
        fixture.storage.load();
        benchmark::DoNotOptimize(fixture.storage.image().isEmpty());
    }
    if (!fixture.reporter.errors().isEmpty())
        state.SkipWithError("the scene file could not be written");
}
BENCHMARK(BM_LoadSceneFile)->Unit(benchmark::kMillisecond);

// Serialize, encode and write the whole file atomically.
void BM_FlushSceneFile(benchmark::State &state)
{
    SceneFileFixture fixture;
    for (auto _ : state)
        benchmark::DoNotOptimize(fixture.storage.flush());
    if (!fixture.reporter.errors().isEmpty())
        state.SkipWithError("the scene file could not be written");
}
BENCHMARK(BM_FlushSceneFile)->Unit(benchmark::kMillisecond);

// The same flush of a one-entry file: the fixed cost of the atomic write
// (temporary file, sync to disk, rename) that the full flush includes.
void BM_FlushTinyFile(benchmark::State &state)
{
    QTemporaryDir dir;
    RecordingErrorReporter reporter;
    SceneFileStorage storage(dir.path(), reporter);
    storage.bind(QStringLiteral("kvt.ini"));
    storage.writeInteger(QStringLiteral("FormVersion"), 0, QStringLiteral("Form1"));
    for (auto _ : state)
        benchmark::DoNotOptimize(storage.flush());
    if (!reporter.errors().isEmpty())
        state.SkipWithError("the scene file could not be written");
}
BENCHMARK(BM_FlushTinyFile)->Unit(benchmark::kMillisecond);

// A whole save as the program makes it: every entry written into a loaded
// image by path, then the flush.
void BM_WriteAllEntriesAndFlush(benchmark::State &state)
{
    SceneFileFixture fixture;
    for (auto _ : state) {
        FillSceneImage(fixture.storage);
        benchmark::DoNotOptimize(fixture.storage.flush());
    }
    if (!fixture.reporter.errors().isEmpty())
        state.SkipWithError("the scene file could not be written");
}
BENCHMARK(BM_WriteAllEntriesAndFlush)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
