#pragma once

#include "scenes/commandhost.h"

#include <array>
#include <functional>

class TForm1;

// The main window as the bus commands and the reply dispatcher see it. The
// kinds of panel that later parts of the window add are bound here; until
// then there is nothing of that kind to act on.
class FormCommandHost : public CommandHost
{
public:
    static constexpr int kSixKeyPanels = 10;

    explicit FormCommandHost(TForm1 &form);

    bool relayModbus() const override;
    bool cpuModbus() const override;
    bool readOnly() const override;
    bool transAllOrder() const override;
    void setCommandEnabled(BusCommand command, bool enabled) override;
    bool isBoardPresent(int slot) const override;
    void setBoardPresent(int slot, bool present) override;
    BoardDataView *lightBoardPanel(int n) override;
    MainDimmerView *mainDimmer() override;
    SixCircuitBulk *sixCircuits() override { return m_sixCircuits; }
    SixKeyReplyView *sixKeyPanel(int panel) override;
    void readSixKeys() override;
    int stepIndex() const override;
    void setStepIndex(int index) override;

    // The six-circuit page ("全讀", "全傳", the circuit panels, discovery).
    void bindSixCircuits(SixCircuitBulk *page) { m_sixCircuits = page; }
    // Six-key panel 1..10.
    void bindSixKeyPanel(int panel, SixKeyReplyView *view);
    // "讀6Key", run by "讀全部".
    void bindSixKeyRead(std::function<void()> read) { m_readSixKeys = std::move(read); }

private:
    TForm1 &m_form;
    SixCircuitBulk *m_sixCircuits = nullptr;
    std::array<SixKeyReplyView *, kSixKeyPanels + 1> m_sixKeyPanels{};
    std::function<void()> m_readSixKeys;
};
