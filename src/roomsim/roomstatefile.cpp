#include "roomsim/roomstatefile.h"

#include "protocol/kvterror.h"
#include "roomsim/roombus.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

constexpr int kStateVersion = 1;

} // namespace

void RoomStateFile::load(RoomBus &bus) const
{
    QFile file(m_path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw KvtError(QStringLiteral("Cannot read the state file %1: %2").arg(m_path, file.errorString()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw KvtError(QStringLiteral("The state file %1 is not a room state: %2")
                           .arg(m_path, doc.isNull() ? error.errorString() : QStringLiteral("not an object")));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("version")).toInt() != kStateVersion || !root.value(QStringLiteral("boards")).isObject())
        throw KvtError(QStringLiteral("The state file %1 is not a room state of version %2")
                           .arg(m_path).arg(kStateVersion));
    try {
        bus.loadState(root.value(QStringLiteral("boards")).toObject());
    } catch (const KvtError &e) {
        throw KvtError(QStringLiteral("The state file %1 does not fit the room: %2").arg(m_path, e.text()));
    }
}

void RoomStateFile::save(const RoomBus &bus) const
{
    QJsonObject root;
    root[QStringLiteral("version")] = kStateVersion;
    root[QStringLiteral("boards")] = bus.saveState();
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) < 0 || !file.commit())
        throw KvtError(QStringLiteral("Cannot write the state file %1: %2").arg(m_path, file.errorString()));
}
