// "讀6Key" and "儲6Key" over the ten six-key boards with the real pacer on
// the in-memory transport, every board answering each key-setting read. The
// pauses are the bus's pacing (per frame 200 ms in the Modbus send and 100 ms
// after it; "儲6Key" adds 100 ms after each panel); what the program adds on
// top of them is the overhead reported.
#include "benchmain.h"
#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "app/appenvironment.h"
#include "app/mainmenu.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "link/trafficlog.h"
#include "panels/sixkey.h"
#include "protocol/boardtable.h"
#include "protocol/modbus.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kFramesPerPanel = 6;
constexpr double kReadPausesMs = kSixKeyPanelCount * kFramesPerPanel * (200 + 100);
constexpr double kSendPausesMs = kReadPausesMs + kSixKeyPanelCount * 100;

// A window on an in-memory bus whose six-key boards answer every key-setting
// read with four data bytes; the reply arrives at the next event processing.
struct SixKeyBench
{
    SixKeyBench()
    {
        AppEnvironment environment{dir.path(), pacer, errors,
                                   [this] {
                                       auto memory = std::make_unique<InMemoryTransport>();
                                       transport = memory.get();
                                       return std::make_unique<DeviceLink>(std::move(memory));
                                   },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        form->link().setComNumber(1);
        transport->onWrite = [this](const QByteArray &bytes) { answer(bytes); };
        for (int n = 1; n <= kSixKeyPanelCount; ++n) {
            form->panels().BoardCheckBoxes.at(SixKeyPanelSlot(n))->setChecked(true);
            auto *panel = form->findChild<Tfm6Key *>(QStringLiteral("fm6Key%1").arg(n));
            for (int b = 1; b <= kSixKeyButtonCount; ++b)
                panel->grid()->setHint(b, QString::number(n + b));
        }
    }

    void answer(const QByteArray &bytes)
    {
        const QByteArray payload = QByteArray::fromHex(bytes.mid(1, bytes.size() - 5));
        // id 03 00 80+p 00 02: a key-setting read
        if (!bytes.startsWith(':') || payload.size() != 6 || payload.at(1) != 0x03)
            return;
        QByteArray reply;
        reply.append(payload.at(0));
        reply.append("\x03\x04", 2);
        reply.append(QByteArray::fromHex("05C50000"));
        const QByteArray wire = ModbusWireText(reply);
        QMetaObject::invokeMethod(transport, [this, wire] { transport->inject(wire); }, Qt::QueuedConnection);
    }

    QTemporaryDir dir;
    RealPacer pacer;
    RecordingErrorReporter errors;
    InMemoryTransport *transport = nullptr;
    std::unique_ptr<TForm1> form;
};


void Run(benchmark::State &state, QAction *item, SixKeyBench &bench, double pausesMs)
{
    double measured = 0;
    for (auto _ : state) {
        bench.transport->clearWrites();
        QElapsedTimer timer;
        timer.start();
        item->trigger();
        measured = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(measured / 1000.0);
    }
    if (!bench.errors.errors().isEmpty() || bench.transport->writes().size() != kSixKeyPanelCount * kFramesPerPanel)
        state.SkipWithError("the command reported an error or did not send 60 frames");
    ReportAgainstPauses(state, measured, pausesMs);
}

void BM_Read6Key(benchmark::State &state)
{
    SixKeyBench bench;
    Run(state, bench.form->menu().miRead6Key, bench, kReadPausesMs);
    // Every reply was shown: one line per button.
    int shown = 0;
    for (const QString &line : bench.form->trafficLog().lines())
        shown += line.startsWith(QLatin1String("i:")) ? 1 : 0;
    if (shown < kSixKeyPanelCount * kFramesPerPanel)
        state.SkipWithError("not every reply reached its panel");
}

void BM_Send6Key(benchmark::State &state)
{
    SixKeyBench bench;
    Run(state, bench.form->menu().miSend6Key, bench, kSendPausesMs);
}

BENCHMARK(BM_Read6Key)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Send6Key)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
