#include "scenes/formsection.h"

#include "scenes/scenefilestorage.h"
#include "scenes/scenestore.h"

#include <memory>
#include <optional>

namespace {

const QString kFormVersionEntry = QStringLiteral("FormVersion");

QString KeySection(int keyNumber)
{
    return QStringLiteral("\\RawData\\Key%1").arg(keyNumber);
}

QString BoardPath(int keyNumber, int slot)
{
    return KeySection(keyNumber) + QStringLiteral("\\Board%1").arg(slot);
}

QString CircuitPath(int keyNumber, int circuit)
{
    return KeySection(keyNumber) + QStringLiteral("\\6Lights%1").arg(circuit);
}

// Time0 is the group's enable flag, Time1..Time4 its four levels.
QString TimePath(int keyNumber, int group, int time)
{
    return KeySection(keyNumber) + QStringLiteral("\\Dimmer%1\\Time%2").arg(group).arg(time);
}

using KeyScenes = std::array<KeyScene, kKeyCount>;

} // namespace

StoredProperty StoredProperty::text(QString name, std::function<QString()> get,
                                    std::function<void(const QString &)> set)
{
    StoredProperty property;
    property.name = std::move(name);
    property.kind = Kind::Text;
    property.getText = std::move(get);
    property.setText = std::move(set);
    return property;
}

QString StoredProperty::entryName() const
{
    QString entry = name;
    return entry.replace(QLatin1Char('.'), QLatin1Char('_'));
}

FormSection::FormSection(QString sectionName, std::vector<StoredProperty> properties,
                         SceneStore *scenes)
    : m_sectionName(std::move(sectionName)), m_properties(std::move(properties)), m_scenes(scenes)
{
}

void FormSection::save(SceneFileStorage &storage) const
{
    storage.writeInteger(kFormVersionEntry, kFormVersion, m_sectionName);
    if (m_scenes)
        JvFormStorage1SavePlacement(storage);
    for (const StoredProperty &property : m_properties) {
        switch (property.kind) {
        case StoredProperty::Kind::Integer:
            storage.writeInteger(property.entryName(), property.get(), m_sectionName);
            break;
        case StoredProperty::Kind::Boolean:
            storage.writeBool(property.entryName(), property.get() != 0, m_sectionName);
            break;
        case StoredProperty::Kind::Text:
            storage.writeText(property.entryName(), property.getText(), m_sectionName);
            break;
        }
    }
}

std::optional<FormSection::Value> FormSection::readValue(const SceneFileStorage &storage,
                                                         const StoredProperty &property) const
{
    const QString entry = property.entryName();
    if (!storage.hasEntry(entry, m_sectionName))
        return std::nullopt;
    Value value;
    switch (property.kind) {
    case StoredProperty::Kind::Integer:
        value.number = storage.readInteger(entry, 0, m_sectionName);
        break;
    case StoredProperty::Kind::Boolean:
        value.number = int(storage.readBool(entry, false, m_sectionName));
        break;
    case StoredProperty::Kind::Text:
        value.text = storage.readText(entry, QString(), m_sectionName);
        break;
    }
    return value;
}

void FormSection::apply(const StoredProperty &property, const Value &value)
{
    if (property.kind == StoredProperty::Kind::Text)
        property.setText(value.text);
    else
        property.set(value.number);
}

std::function<void()> FormSection::read(const SceneFileStorage &storage) const
{
    if (storage.readInteger(kFormVersionEntry, kFormVersion, m_sectionName) < 0)
        return [] {};

    // Properties first, in list order, as they are applied.
    std::vector<std::pair<const StoredProperty *, Value>> values;
    for (const StoredProperty &property : m_properties)
        if (std::optional<Value> value = readValue(storage, property))
            values.emplace_back(&property, std::move(*value));
    std::function<void()> placement = m_scenes ? readPlacement(storage) : std::function<void()>();

    return [values = std::move(values), placement = std::move(placement)] {
        for (const auto &[property, value] : values)
            apply(*property, value);
        if (placement)
            placement();
    };
}

void FormSection::restoreInOrder(const SceneFileStorage &storage) const
{
    if (storage.readInteger(kFormVersionEntry, kFormVersion, m_sectionName) < 0)
        return;
    for (const StoredProperty &property : m_properties)
        if (std::optional<Value> value = readValue(storage, property))
            apply(property, *value);
    if (m_scenes)
        readPlacement(storage)();
}

void FormSection::JvFormStorage1SavePlacement(SceneFileStorage &storage) const
{
    if (!m_scenes)
        return;
    for (int n = 1; n <= kKeyCount; ++n) {
        const KeyScene &scene = m_scenes->key(n);
        for (int slot = 1; slot <= kSlotCount; ++slot)
            storage.writeBytes(BoardPath(n, slot), scene.board(slot));
        for (int c = 1; c <= kCircuitCount; ++c)
            storage.writeBytes(CircuitPath(n, c), scene.circuit(c));
        for (int g = 1; g <= kDimmerGroups; ++g) {
            const DimmerGroupLevels &levels = scene.group(g);
            storage.writeInteger(TimePath(n, g, 0), levels.enabled);
            for (int j = 1; j <= kDimmerColumns; ++j)
                storage.writeInteger(TimePath(n, g, j), levels.levels[size_t(j - 1)]);
        }
    }
}

void FormSection::JvFormStorage1RestorePlacement(const SceneFileStorage &storage) const
{
    if (m_scenes)
        readPlacement(storage)();
}

std::function<void()> FormSection::readPlacement(const SceneFileStorage &storage) const
{
    // Read into a fresh set of keys; the store is replaced only once every
    // entry has converted.
    auto scenes = std::make_shared<KeyScenes>();
    for (int n = 1; n <= kKeyCount; ++n) {
        KeyScene &scene = (*scenes)[size_t(n - 1)];
        for (int slot = 1; slot <= kSlotCount; ++slot)
            scene.board(slot) = storage.readBytes(BoardPath(n, slot));
        for (int c = 1; c <= kCircuitCount; ++c)
            scene.circuit(c) = storage.readBytes(CircuitPath(n, c));
        for (int g = 1; g <= kDimmerGroups; ++g) {
            DimmerGroupLevels &levels = scene.group(g);
            levels.enabled = storage.readInteger(TimePath(n, g, 0), 0);
            for (int j = 1; j <= kDimmerColumns; ++j)
                levels.levels[size_t(j - 1)] = storage.readInteger(TimePath(n, g, j), 0);
        }
    }
    SceneStore *store = m_scenes;
    return [store, scenes] {
        for (int n = 1; n <= kKeyCount; ++n)
            store->key(n) = (*scenes)[size_t(n - 1)];
    };
}
