#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

class SceneFileStorage;
class SceneStore;

// One stored property of a window: kept in the window's form section under
// the entry "component_property" ("ApdWinsockPort1.ComNumber" is stored as
// ApdWinsockPort1_ComNumber; a name without a component, such as the window's
// "NormPos", is its own entry). Integers and booleans pass through get/set
// (booleans as 0 and 1), texts through getText/setText.
struct StoredProperty
{
    enum class Kind { Integer, Boolean, Text };

    QString name; // "component.property"
    Kind kind = Kind::Integer;
    std::function<int()> get;
    std::function<void(int)> set;
    std::function<QString()> getText{};
    std::function<void(const QString &)> setText{};

    static StoredProperty text(QString name, std::function<QString()> get,
                               std::function<void(const QString &)> set);

    QString entryName() const;
};

// A window's form section in the scene file: FormVersion, for the main window
// the key scenes of the SceneStore, and the stored properties in list order.
//
// Reading is all or nothing: read() takes every value first and raises
// KvtError (naming the section, the entry and the value) before anything has
// changed; the step it returns puts the values in place and does not fail.
class FormSection
{
public:
    static constexpr int kFormVersion = 0;

    // scenes: the main window's SceneStore; null for a window without scenes.
    FormSection(QString sectionName, std::vector<StoredProperty> properties,
                SceneStore *scenes = nullptr);

    QString sectionName() const { return m_sectionName; }

    // FormVersion=0, then the key scenes, then the properties in list order.
    void save(SceneFileStorage &storage) const;
    // A FormVersion below 0 restores nothing; a missing property keeps its
    // value; missing scene entries read as empty data and 0.
    std::function<void()> read(const SceneFileStorage &storage) const;
    void restore(const SceneFileStorage &storage) const { read(storage)(); }
    // Puts each property in place as soon as it is read, in list order (the
    // connection dialog): a value that does not convert raises there, and the
    // properties before it keep their new values, the rest their old ones.
    void restoreInOrder(const SceneFileStorage &storage) const;

    // The key scenes: for key 1..62, Board1..Board19 and 6Lights1..6Lights6
    // (hex) in RawData\KeyN, then Time0..Time4 in RawData\KeyN\Dimmer1 and
    // RawData\KeyN\Dimmer2.
    void JvFormStorage1SavePlacement(SceneFileStorage &storage) const;
    // Reads all 62 keys, then replaces every entry of the SceneStore.
    void JvFormStorage1RestorePlacement(const SceneFileStorage &storage) const;

private:
    struct Value
    {
        int number = 0;
        QString text;
    };
    // The stored value of a property; nothing when its entry is missing.
    std::optional<Value> readValue(const SceneFileStorage &storage, const StoredProperty &property) const;
    static void apply(const StoredProperty &property, const Value &value);
    std::function<void()> readPlacement(const SceneFileStorage &storage) const;

    QString m_sectionName;
    std::vector<StoredProperty> m_properties;
    SceneStore *m_scenes;
};
