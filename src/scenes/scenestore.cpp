#include "scenes/scenestore.h"

#include "protocol/kvterror.h"
#include "scenes/maindimmerdata.h"
#include "scenes/sceneviews.h"

#include <QtGlobal>

namespace {

size_t CheckedIndex(int number, int count, const char *what)
{
    if (number < 1 || number > count)
        throw KvtError(QStringLiteral("%1 %2 is out of range 1..%3")
                           .arg(QString::fromLatin1(what))
                           .arg(number)
                           .arg(count));
    return size_t(number - 1);
}

} // namespace

QByteArray &KeyScene::board(int slot)
{
    return boardData[CheckedIndex(slot, kSlotCount, "Board slot")];
}

const QByteArray &KeyScene::board(int slot) const
{
    return boardData[CheckedIndex(slot, kSlotCount, "Board slot")];
}

QByteArray &KeyScene::circuit(int circuit)
{
    return circuitData[CheckedIndex(circuit, kCircuitCount, "Circuit")];
}

const QByteArray &KeyScene::circuit(int circuit) const
{
    return circuitData[CheckedIndex(circuit, kCircuitCount, "Circuit")];
}

DimmerGroupLevels &KeyScene::group(int group)
{
    return dimmer[CheckedIndex(group, kDimmerGroups, "Dimmer group")];
}

const DimmerGroupLevels &KeyScene::group(int group) const
{
    return dimmer[CheckedIndex(group, kDimmerGroups, "Dimmer group")];
}

KeyScene &SceneStore::key(int keyNumber)
{
    return m_keys[CheckedIndex(keyNumber, kKeyCount, "Key number")];
}

const KeyScene &SceneStore::key(int keyNumber) const
{
    return m_keys[CheckedIndex(keyNumber, kKeyCount, "Key number")];
}

void SceneStore::clear()
{
    m_keys.fill(KeyScene());
    m_kept.fill(QByteArray());
}

void SceneStore::setShownKeyIndex(int keyIndex)
{
    if (keyIndex != m_shownKeyIndex)
        m_kept.fill(QByteArray());
    m_shownKeyIndex = keyIndex;
}

void SceneStore::keepStoredData(int slot)
{
    if (slot < 1 || slot > kSlotCount)
        return;
    QByteArray now;
    if (slot == kMainDimmerSlot) {
        if (m_mainDimmerView)
            now = EncodeMainDimmerData(*m_mainDimmerView);
    } else if (slot <= kLightBoardSlots) {
        if (BoardDataView *view = m_boardViews[size_t(slot - 1)])
            now = view->EncodeBoardData();
    }
    m_kept[size_t(slot - 1)] = now;
}

void SceneStore::bindBoardView(int slot, BoardDataView *view)
{
    m_boardViews[CheckedIndex(slot, kLightBoardSlots, "Board slot")] = view;
}

void SceneStore::bindCircuitView(int circuit, CircuitDataView *view)
{
    m_circuitViews[CheckedIndex(circuit, kCircuitCount, "Circuit")] = view;
}

void SceneStore::bindMainDimmerView(MainDimmerView *view)
{
    m_mainDimmerView = view;
}

void SceneStore::StoreKeyData(int keyNumber)
{
    if (keyNumber < 1)
        return;
    KeyScene &scene = key(keyNumber);
    // Taken now: storing ends what was kept, also when it fails.
    std::array<QByteArray, kSlotCount> kept;
    kept.swap(m_kept);
    const auto isKept = [&kept](int slot, const QByteArray &now) {
        const QByteArray &held = kept[size_t(slot - 1)];
        return !held.isEmpty() && held == now;
    };
    for (int slot = 1; slot <= kLightBoardSlots; ++slot) {
        BoardDataView *view = m_boardViews[size_t(slot - 1)];
        // An absent board keeps what the key held for it.
        if (!view || !view->isPresent())
            continue;
        const QByteArray data = view->EncodeBoardData();
        if (!isKept(slot, data))
            scene.board(slot) = data;
    }
    for (int c = 1; c <= kCircuitCount; ++c) {
        if (CircuitDataView *view = m_circuitViews[size_t(c - 1)])
            scene.circuit(c) = view->EncodeCircuitData();
    }
    if (m_mainDimmerView && !isKept(kMainDimmerSlot, EncodeMainDimmerData(*m_mainDimmerView))) {
        for (int g = 1; g <= kDimmerGroups; ++g) {
            DimmerGroupLevels &levels = scene.group(g);
            levels.enabled = m_mainDimmerView->groupEnabled(g) ? 1 : 0;
            for (int j = 1; j <= kDimmerColumns; ++j)
                levels.levels[size_t(j - 1)] = m_mainDimmerView->level(g, j);
        }
    }
}

void SceneStore::ShowKeyData(int keyNumber)
{
    if (keyNumber < 1 || keyNumber > kKeyCount)
        return;
    // Copied first: a panel's reaction may run events that touch the store.
    const KeyScene scene = key(keyNumber);
    m_kept.fill(QByteArray());
    for (int slot = 1; slot <= kLightBoardSlots; ++slot) {
        BoardDataView *view = m_boardViews[size_t(slot - 1)];
        const QByteArray &data = scene.board(slot);
        // Empty data leave the previous key's pattern on the panel.
        if (view && view->isPresent() && !data.isEmpty())
            view->DecodeBoardData(data);
    }
    for (int c = 1; c <= kCircuitCount; ++c) {
        if (CircuitDataView *view = m_circuitViews[size_t(c - 1)])
            view->DecodeCircuitData(scene.circuit(c));
    }
    if (m_mainDimmerView) {
        for (int g = 1; g <= kDimmerGroups; ++g) {
            const DimmerGroupLevels &levels = scene.group(g);
            m_mainDimmerView->setGroupEnabled(g, levels.enabled == 1);
            for (int j = 1; j <= kDimmerColumns; ++j)
                m_mainDimmerView->setLevel(
                    g, j, qBound(0, levels.levels[size_t(j - 1)], kMaxDimmerLevel));
        }
    }
}
