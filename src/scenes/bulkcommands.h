#pragma once

#include "scenes/commandhost.h"
#include "scenes/keyloop.h"

#include <vector>

class KeyCommands;
class SixKeyCommands;

// "讀全部", "儲全部" and "測試按鍵". The loops run the key switch and the
// one-key read or send for each key; only their own menu item is disabled
// while they run, so user input between their steps is handled.
class BulkCommands
{
public:
    static constexpr int kPassPauseMs = 100;
    static constexpr int kSendAllKeys = 30;
    static constexpr int kLastStepIndex = 3;

    BulkCommands(const CommandContext &context, KeyCommands &keyCommands, SixKeyCommands &sixKeyCommands);

    // Scans first when the last scan is not recent, reads the six-key
    // boards, then reads every key into the store. Leaves no key selected.
    void miReadAllClick();
    // Sends the stored keys 1..30 to the boards, then selects the key
    // selected before again and shows it.
    void miSendAllClick();
    // Sends the key press of the selected key at the step of ComboBox2 and
    // moves the step on.
    void N6Click();

    // The key indexes send-all visits: key-list order with
    // "傳全部使用按鍵名排序" on, otherwise the order of their key memory
    // slots (keys sharing a slot in key-list order).
    static std::vector<int> SendAllOrder(bool keyNameOrder);

    bool isReadingAll() const { return m_readingAll; }
    bool isSendingAll() const { return m_sendingAll; }

private:
    KeyLoop keyLoop() const;
    // The pause after each key; none in awaited mode, where every answer
    // has come or timed out already.
    int passPauseMs() const;

    CommandContext m_context;
    KeyCommands &m_keyCommands;
    SixKeyCommands &m_sixKeyCommands;
    bool m_readingAll = false;
    bool m_sendingAll = false;
};
