// The key switch with every board present: the panels' data go into the shown
// key and the next key's data onto all panels (18 light boards, the six
// circuits and the main dimmer), as a user stepping through the key list sees.
#include "benchmain.h"
#include "inmemorytransport.h"
#include "recordingerrorreporter.h"
#include "virtualpacer.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "scenes/keyswitch.h"
#include "scenes/scenestore.h"

#include <QApplication>
#include <QCheckBox>
#include <QTemporaryDir>
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
    }
}

void BM_KeySwitchAllBoardsPresent(benchmark::State &state)
{
    QTemporaryDir dir;
    VirtualPacer pacer;
    RecordingErrorReporter errors;
    AppEnvironment environment{
        dir.path(), pacer, errors,
        [] { return std::make_unique<DeviceLink>(std::make_unique<InMemoryTransport>()); },
        [](QDialog &) {}};
    TForm1 form(environment);
    for (int slot = 1; slot <= kSlotCount; ++slot)
        form.panels().BoardCheckBoxes.at(slot)->setChecked(true);
    FillStore(form.sceneStore());

    int key = 0;
    for (auto _ : state) {
        form.keySwitch().selectKeyIndex(key);
        form.keySwitch().ComboBox1Enter();
        key = (key + 1) % kKeyCount;
    }
    state.SetItemsProcessed(state.iterations());
    if (!errors.errors().isEmpty())
        state.SkipWithError("a key switch reported an error");
}
BENCHMARK(BM_KeySwitchAllBoardsPresent)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
