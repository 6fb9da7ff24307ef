#pragma once

#include "link/framesender.h"
#include "scenes/paneltable.h"

#include <QObject>
#include <functional>

class ErrorReporter;
class KeySelection;
class QTimer;
class TfmLightBoard;
struct BusState;

// What the board test needs of the window, handed in at construction.
struct BoardTestContext
{
    BusContext bus;
    ErrorReporter &errors;
    BusState &state;
    KeySelection &keys;
    // The light-board panels, panel n on slot n (the six-key boards' relay
    // outputs included); the main dimmer's slot has none.
    const PanelTable<TfmLightBoard> &lightBoards;
    // "唯讀"
    std::function<bool()> readOnly;
    // A scan, read-all, send-all, "讀6Key" or "儲6Key" is running: the next
    // pass waits for its end.
    std::function<bool()> busElsewhere;
    // A notice in the status bar that goes away by itself.
    std::function<void(const QString &)> notice;
};

// "機板測試": blinks every output of every present light board and six-key
// board in turn, one pass after another, 1000 ms apart, until "結束測試".
// A pass inverts the LED of each row in column 1 through the panel's LED
// click (one live output command), waits, inverts it back and waits again;
// while it runs, boards that answer are marked present as during a scan.
//
// "開始測試" during a pass does not start a pass inside it: the test goes on
// after it. A tick that comes while a scan, read-all, send-all, "讀6Key" or
// "儲6Key" runs is not acted on; the timer stays on, so the pass follows once
// it has ended.
class BoardTest : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 1000;
    static constexpr int kBlinkPauseMs = 200;

    explicit BoardTest(const BoardTestContext &context, QObject *parent = nullptr);

    QTimer *timer() const { return m_timer; }
    // The test is on: a pass runs or the next one is due.
    bool isOn() const { return m_on; }
    bool isPassRunning() const { return m_passRunning; }

    // The window closes: the test ends; a pass running finishes the blink it
    // is in (so the output it inverted is put back) and returns.
    void windowClosing();

public slots:
    void N7Click();
    void N9Click();
    void tmrTestBoardTimer();

private:
    void blink(TfmLightBoard &panel, int row);

    BoardTestContext m_context;
    QTimer *m_timer;
    bool m_on = false;
    bool m_passRunning = false;
    bool m_stopPass = false;
    bool m_tickRunning = false;
};
