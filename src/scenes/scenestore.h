#pragma once

#include "protocol/boardtable.h"
#include "scenes/keytables.h"

#include <QByteArray>
#include <array>

class BoardDataView;
class CircuitDataView;
class MainDimmerView;

constexpr int kLightBoardSlots = 18;
constexpr int kCircuitCount = 6;
constexpr int kDimmerGroups = 2;
constexpr int kDimmerColumns = 4;
constexpr int kMaxDimmerLevel = 3;

// One dimmer group of the main dimmer board for one key: the enable flag as
// stored (1 = enabled; any other value shows the box clear) and four levels.
struct DimmerGroupLevels
{
    int enabled = 0;
    std::array<int, kDimmerColumns> levels{};
};

// The stored settings of one key. Empty byte strings mean nothing stored.
// Accessors count from 1 like slots, circuits and groups do.
struct KeyScene
{
    std::array<QByteArray, kSlotCount> boardData;
    std::array<QByteArray, kCircuitCount> circuitData;
    std::array<DimmerGroupLevels, kDimmerGroups> dimmer;

    QByteArray &board(int slot);
    const QByteArray &board(int slot) const;
    QByteArray &circuit(int circuit);
    const QByteArray &circuit(int circuit) const;
    DimmerGroupLevels &group(int group);
    const DimmerGroupLevels &group(int group) const;
};

// The settings of all 62 keys, addressed by key number 1..62, and the key the
// panels hold. The panels are reached through the views bound to the store;
// a kind of panel not bound yet has nothing to store or show.
class SceneStore
{
public:
    KeyScene &key(int keyNumber);
    const KeyScene &key(int keyNumber) const;
    // Every string empty, every integer 0.
    void clear();

    // The key index whose data the panels hold, -1 when none.
    int shownKeyIndex() const { return m_shownKeyIndex; }
    void setShownKeyIndex(int keyIndex);

    void bindBoardView(int slot, BoardDataView *view);
    void bindCircuitView(int circuit, CircuitDataView *view);
    void bindMainDimmerView(MainDimmerView *view);
    // The bound main dimmer controls; nullptr until they exist.
    MainDimmerView *mainDimmerView() const { return m_mainDimmerView; }

    // Copies the panels into key keyNumber: present slots 1..18, every circuit,
    // both dimmer groups. Slot 19's data are only carried. Nothing when < 1.
    void StoreKeyData(int keyNumber);
    // Slot 1..19 gave no answer to a read of the shown key: the next store
    // keeps what the key holds for it (or leaves it empty), unless its panel
    // (slot 19: the main dimmer controls) has changed before then. Showing,
    // storing or clearing ends it.
    void keepStoredData(int slot);
    // Puts key keyNumber onto the panels: present slots with stored data, every
    // circuit (also empty data), both dimmer groups with levels limited to 0..3.
    // Nothing when keyNumber is outside 1..62.
    void ShowKeyData(int keyNumber);

private:
    std::array<KeyScene, kKeyCount> m_keys;
    std::array<BoardDataView *, kLightBoardSlots> m_boardViews{};
    std::array<CircuitDataView *, kCircuitCount> m_circuitViews{};
    MainDimmerView *m_mainDimmerView = nullptr;
    int m_shownKeyIndex = -1;
    // What the panels of the slots kept held when they were kept; empty for none.
    std::array<QByteArray, kSlotCount> m_kept;
};
