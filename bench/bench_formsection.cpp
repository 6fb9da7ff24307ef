// The main window's form section: the save of all 62 key scenes into the
// scene image ("存檔" before the flush) and the all-or-nothing read of them
// (the open before anything is swapped in).
#include "recordingerrorreporter.h"

#include "scenes/formsection.h"
#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"

#include <benchmark/benchmark.h>

namespace {

void FillStore(SceneStore &store)
{
    for (int key = 1; key <= kKeyCount; ++key) {
        KeyScene &scene = store.key(key);
        for (int slot = 1; slot <= kSlotCount; ++slot) {
            QByteArray data(8, '\0');
            for (int i = 0; i < 8; ++i)
                data[i] = char(key * 31 + slot * 7 + i);
            scene.board(slot) = data;
        }
        for (int c = 1; c <= kCircuitCount; ++c)
            scene.circuit(c) = QByteArray::fromHex("10203040");
        for (int g = 1; g <= kDimmerGroups; ++g)
            scene.group(g) = DimmerGroupLevels{1, {1, 2, 3, 0}};
    }
}

int g_comNumber = 3;

std::vector<StoredProperty> Properties()
{
    return {{QStringLiteral("ApdWinsockPort1.ComNumber"), StoredProperty::Kind::Integer,
             [] { return g_comNumber; }, [](int v) { g_comNumber = v; }}};
}

// Into an image that already holds every entry (a save over the same file).
void BM_SaveFormSection(benchmark::State &state)
{
    RecordingErrorReporter errors;
    SceneFileStorage storage(QString(), errors);
    SceneStore store;
    FillStore(store);
    FormSection form(QStringLiteral("Form1"), Properties(), &store);
    form.save(storage);
    for (auto _ : state)
        form.save(storage);
}
BENCHMARK(BM_SaveFormSection)->Unit(benchmark::kMillisecond);

// Into an empty image (a save under a new name).
void BM_SaveFormSectionFresh(benchmark::State &state)
{
    RecordingErrorReporter errors;
    SceneStore store;
    FillStore(store);
    FormSection form(QStringLiteral("Form1"), Properties(), &store);
    for (auto _ : state) {
        SceneFileStorage storage(QString(), errors);
        form.save(storage);
        benchmark::DoNotOptimize(storage.image().isEmpty());
    }
}
BENCHMARK(BM_SaveFormSectionFresh)->Unit(benchmark::kMillisecond);

// Read every entry into fresh values, then swap them in.
void BM_ReadAndRestoreFormSection(benchmark::State &state)
{
    RecordingErrorReporter errors;
    SceneFileStorage storage(QString(), errors);
    SceneStore store;
    FillStore(store);
    FormSection form(QStringLiteral("Form1"), Properties(), &store);
    form.save(storage);
    SceneStore target;
    FormSection reader(QStringLiteral("Form1"), Properties(), &target);
    for (auto _ : state)
        reader.restore(storage);
}
BENCHMARK(BM_ReadAndRestoreFormSection)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
