#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// Which way a logged line went: a frame written to the bus, a packet read
// from it, or a note of the program's own (a decoded annotation, a summary).
enum class BusDirection { Sent, Received, Note };

// The bus record: every line the traffic log shows, with the time it was
// logged and its direction, kept for the whole run so the day's work can be
// saved and handed on. Unlike the list it is never cleared; it keeps the
// newest kCapacity entries and counts the ones it had to drop.
class BusRecord
{
public:
    static constexpr int kCapacity = 200000;

    struct Entry
    {
        qint64 msecsSinceEpoch = 0;
        BusDirection direction = BusDirection::Note;
        QString text;
    };

    // Milliseconds since the epoch; the main window hands in its pacer's clock.
    using Clock = std::function<qint64()>;

    explicit BusRecord(int capacity = kCapacity);

    void setClock(Clock clock);
    qint64 now() const { return m_clock(); }

    // Keeps the line with the clock's time and returns that time.
    qint64 append(BusDirection direction, const QString &text);

    int size() const { return int(m_entries.size()); }
    int capacity() const { return m_capacity; }
    // Entries dropped because the record was full (oldest first).
    qint64 droppedCount() const { return m_dropped; }
    // The lines text() writes: the entries and the note of those dropped.
    int savedLineCount() const { return size() + (m_dropped > 0 ? 1 : 0); }
    // The entry at index 0 (oldest kept) .. size() - 1 (newest).
    const Entry &at(int index) const;

    // The whole record as UTF-8 text, one line per entry ending in CR LF:
    // "2026-12-10 04:31:07.123  →  48 03 01 06 10 14 (4)", local time, CR and
    // LF inside a line drawn as "↵" as the list draws them. When entries were
    // dropped, a note saying how many comes first.
    QByteArray text() const;
    // Writes text() into the file, atomically: the file afterwards holds the
    // whole record or what it held before. Raises KvtError with the path and
    // the reason when it cannot; the record itself is never touched.
    void saveTo(const QString &path) const;

    static QString directionMark(BusDirection direction);
    // "記錄已滿，最舊的 N 行已捨棄"
    static QString droppedNote(qint64 dropped);
    // One saved line, without its line end.
    static QString entryLine(const Entry &entry);

private:
    int m_capacity;
    // A ring once full: m_first is the oldest entry.
    std::vector<Entry> m_entries;
    size_t m_first = 0;
    qint64 m_dropped = 0;
    Clock m_clock;
};

// "04:31:07.123": the time of day in local time, as the list shows it.
QString LocalTimeOfDay(qint64 msecsSinceEpoch);
