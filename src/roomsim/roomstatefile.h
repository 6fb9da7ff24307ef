#pragma once

#include <QString>

class RoomBus;

// The boards' memories in a JSON file: read once at start, written after
// every change. A file that cannot be read is refused before the room starts,
// so it is never overwritten with a fresh room.
class RoomStateFile
{
public:
    explicit RoomStateFile(const QString &path) : m_path(path) {}

    const QString &path() const { return m_path; }
    // A missing file leaves the room as it is; a bad one raises KvtError.
    void load(RoomBus &bus) const;
    // Writes the whole room at once (no half-written file); raises KvtError.
    void save(const RoomBus &bus) const;

private:
    QString m_path;
};
