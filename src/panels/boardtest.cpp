#include "panels/boardtest.h"

#include "link/errorreporter.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "link/trafficlog.h"
#include "panels/ledindicator.h"
#include "panels/lightboard.h"
#include "protocol/boardtable.h"
#include "scenes/busstate.h"
#include "scenes/keyselection.h"

#include <QTimer>

namespace {

const QString kBoardTestCaption = QStringLiteral("機板測試");
constexpr int kTestedColumn = 1;

} // namespace

BoardTest::BoardTest(const BoardTestContext &context, QObject *parent)
    : QObject(parent), m_context(context), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("tmrTestBoard"));
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        // While the message of a failed pass is up, ticks wait for it to close.
        if (m_tickRunning)
            return;
        const CommandRunning running(m_tickRunning);
        RunGuarded(m_context.errors, [this] { tmrTestBoardTimer(); });
    });
}

void BoardTest::N7Click()
{
    m_on = true;
    // During a pass the test goes on after it, as the pass's end decides.
    if (!m_passRunning)
        m_timer->start();
}

void BoardTest::N9Click()
{
    if (!m_on && !m_passRunning)
        return;
    m_on = false;
    m_timer->stop();
    // The scan flag is the pass's only while a pass runs.
    if (m_passRunning)
        m_context.state.scanFlag = false;
}

void BoardTest::windowClosing()
{
    m_on = false;
    m_timer->stop();
    m_stopPass = true;
}

void BoardTest::tmrTestBoardTimer()
{
    if (m_passRunning)
        return;
    if (m_context.busElsewhere && m_context.busElsewhere())
        return;
    m_timer->stop();
    BusState &state = m_context.state;
    Pacer &pacer = m_context.bus.pacer;
    m_stopPass = false;
    const CommandRunning running(m_passRunning);
    const auto end = OnScopeExit([this, &state] {
        if (m_on)
            m_timer->start();
        state.scanFlag = false;
    });

    if (m_context.readOnly && m_context.readOnly())
        m_context.keys.selectKeyIndex(-1);
    m_context.bus.log.clear();
    state.scanFlag = true;
    state.scanned = true;
    state.lastScanTime = pacer.now();

    const LinkDropWatch drop(m_context.bus.link, kBoardTestCaption);
    for (const BoardSlot &info : BoardTable) {
        if (m_stopPass)
            break;
        const int slot = info.slot;
        TfmLightBoard *panel = info.kind == BoardKind::MainDimmerBoard ? nullptr : m_context.lightBoards.at(slot);
        if (panel && panel->isPresent()) {
            // A board checkbox cleared meanwhile skips the slot's remaining outputs.
            for (int row = 1; row <= kLightRows && panel->isPresent() && !m_stopPass; ++row) {
                drop.check();
                if (m_context.notice)
                    m_context.notice(QStringLiteral("機板測試 板%1 輸出%2").arg(slot).arg(row));
                blink(*panel, row);
            }
        }
        pacer.processEvents();
    }
    drop.check();
}

void BoardTest::blink(TfmLightBoard &panel, int row)
{
    Pacer &pacer = m_context.bus.pacer;
    LedIndicator *led = panel.led(kTestedColumn, row);
    // The LED click inverts the LED before it sends; when the send fails, or
    // an error ends the pass while the LED is inverted, the panel is put back
    // as it was, so no key takes the blinked pattern.
    const auto putBack = OnScopeExit([&panel, led] {
        if (panel.blinkHeld())
            led->toggle();
        panel.endBlink();
    });
    panel.holdBlink(led, !led->isOn());
    panel.l11Click(led);
    pacer.processEvents();
    pacer.pause(kBlinkPauseMs);
    if (!panel.blinkHeld()) {
        // The panel was given other data meanwhile (another key shown, a
        // reply, a click): it keeps them, and the click below sends its
        // column as it now is, which also ends the blink on the board.
        led->toggle();
    }
    panel.endBlink();
    panel.l11Click(led);
    pacer.processEvents();
    pacer.pause(kBlinkPauseMs);
}
