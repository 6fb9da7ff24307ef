#pragma once

#include "panels/panelcontext.h"
#include "scenes/sceneviews.h"

#include <QFrame>
#include <array>
#include <functional>

class LedIndicator;
class QCheckBox;
class QLabel;
class QToolButton;

constexpr int kLightRows = 8;
constexpr int kLightColumns = 4;
constexpr int kSendAllKeys = 30;
constexpr int kSendBoardModbusPauseMs = 30;
constexpr int kSendAllKeyPauseMs = 10;

// The panel of one light board (or of a six-key board's relay outputs): eight
// outputs, each with a row checkbox (the key controls the output) and four
// LEDs, one per column (the key's levels 1..4).
//
// RawBoardData, 8 bytes; bit r-1 of each byte stands for output r:
//   0 row mask, 1 column 1, 2 row mask, 3 column 2,
//   4 row mask, 5 column 3, 6 row mask, 7 column 4.
//
// The public slots are the handlers. They may raise KvtError; the panel's own
// widgets reach them through the error guard, code that calls them directly
// sees the error.
class TfmLightBoard : public QFrame, public BoardDataView
{
    Q_OBJECT
public:
    TfmLightBoard(const PanelContext &context, QWidget *parent = nullptr);

    void InitSlot(int slot);
    int slot() const { return m_slot; }
    quint8 BusId() const;

    bool isPresent() const override;
    QByteArray EncodeBoardData() const override;
    // Bytes beyond the data count as 0x00; bytes 2, 4 and 6 are not read.
    void DecodeBoardData(const QByteArray &data) override;

    void SetReadOnly(bool flag);
    bool isReadOnly() const { return m_readOnly; }
    // Writes the panel's data for the selected key by Modbus when the slot's
    // route is Modbus and the board is present; always paces 30 ms after.
    void SendBoardModbus();

    QCheckBox *boardCheckBox() const { return m_checkBox1; }
    QFrame *ledArea() const { return m_panel1; }
    LedIndicator *led(int column, int row) const;
    QCheckBox *rowCheckBox(int row) const;
    QLabel *columnLabel(int column) const;
    QToolButton *sendAllButton() const { return m_btnSendAll; }
    // The pattern of one column as a byte (bit r-1 = LED of row r on).
    quint8 columnPattern(int column) const;
    quint8 rowMask() const;

    // The board test's blink: led shows the state shows for a moment (set
    // through the LED click, on the panel and on the board), the opposite of
    // the panel's data. While the LED keeps that state, what the panel
    // encodes (what a key switch stores, what a send writes) is its data
    // without the blink, so a key picked or sent meanwhile does not take the
    // blinked output. Decoded data end the blink.
    void holdBlink(LedIndicator *led, bool shows);
    void endBlink() { m_blinkLed = nullptr; }
    // The LED of the blink still shows it.
    bool blinkHeld() const;

public slots:
    void l11Click(QObject *sender);
    void lb1Click(QObject *sender);
    void cb1Click(QObject *sender);
    void CheckBox1Click();
    void btnSendAllClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void guarded(const std::function<void()> &handler);

    PanelContext m_context;
    int m_slot = 0;
    bool m_readOnly = false;
    bool m_sendingAll = false;
    LedIndicator *m_blinkLed = nullptr;
    bool m_blinkShows = false;
    QCheckBox *m_checkBox1 = nullptr;
    QFrame *m_panel1 = nullptr;
    QToolButton *m_btnSendAll = nullptr;
    // [column 1..4][row 1..8] at [column - 1][row - 1]
    std::array<std::array<LedIndicator *, kLightRows>, kLightColumns> m_leds{};
    std::array<QCheckBox *, kLightRows> m_rows{};
    std::array<QLabel *, kLightColumns> m_labels{};
};
