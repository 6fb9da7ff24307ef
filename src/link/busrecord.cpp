#include "link/busrecord.h"

#include "link/trafficlog.h"
#include "protocol/kvterror.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QStringEncoder>
#include <limits>

namespace {

constexpr qint64 kMsPerDay = 86400000;
// Local time moves against UTC only at whole quarter hours (UTC), so the
// offset found for one quarter holds for all of it.
constexpr qint64 kOffsetBlockMs = 15 * 60 * 1000;
// "yyyy-MM-dd HH:mm:ss.zzz"
constexpr int kStampLength = 23;

qint64 FloorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void PutDigits(char *out, int value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
}

// Writes local date and time stamps fast: a saved record of 200 000 lines
// would spend most of its time in QDateTime::toString otherwise. The offset
// from UTC is looked up once per quarter hour, the date once per day.
class LocalStamp
{
public:
    // Writes kStampLength characters.
    void write(qint64 ms, char *out)
    {
        const qint64 block = FloorDiv(ms, kOffsetBlockMs);
        if (block != m_block) {
            m_block = block;
            m_offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc()) * 1000;
        }
        const qint64 local = ms + m_offsetMs;
        const qint64 day = FloorDiv(local, kMsPerDay);
        if (day != m_day) {
            m_day = day;
            const QDate date = QDate(1970, 1, 1).addDays(day);
            const int year = qBound(0, date.year(), 9999);
            PutDigits(m_date, year, 4);
            m_date[4] = '-';
            PutDigits(m_date + 5, date.month(), 2);
            m_date[7] = '-';
            PutDigits(m_date + 8, date.day(), 2);
        }
        const int msOfDay = int(local - day * kMsPerDay);
        std::copy(m_date, m_date + 10, out);
        out[10] = ' ';
        PutDigits(out + 11, msOfDay / 3600000, 2);
        out[13] = ':';
        PutDigits(out + 14, msOfDay / 60000 % 60, 2);
        out[16] = ':';
        PutDigits(out + 17, msOfDay / 1000 % 60, 2);
        out[19] = '.';
        PutDigits(out + 20, msOfDay % 1000, 3);
    }

private:
    qint64 m_block = std::numeric_limits<qint64>::min();
    qint64 m_offsetMs = 0;
    qint64 m_day = std::numeric_limits<qint64>::min();
    char m_date[10] = {};
};

bool HasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7F)
            return true;
    }
    return false;
}

// Appends the line as the list shows it, encoded as UTF-8.
void AppendShown(QByteArray &out, QStringEncoder &utf8, const QString &text)
{
    const QString shown = HasControlCharacter(text) ? TrafficLog::displayText(text) : text;
    const qsizetype at = out.size();
    out.resize(at + utf8.requiredSpace(shown.size()));
    char *end = utf8.appendToBuffer(out.data() + at, shown);
    out.resize(end - out.constData());
}

void AppendLine(QByteArray &out, LocalStamp &stamp, QStringEncoder &utf8, qint64 ms, BusDirection direction,
                const QString &text)
{
    char buffer[kStampLength];
    stamp.write(ms, buffer);
    out.append(buffer, kStampLength);
    switch (direction) {
    case BusDirection::Sent:
        out.append("  \xE2\x86\x92  "); // →
        break;
    case BusDirection::Received:
        out.append("  \xE2\x86\x90  "); // ←
        break;
    case BusDirection::Note:
        out.append("  \xE2\x80\xBB  "); // ※
        break;
    }
    AppendShown(out, utf8, text);
    out.append("\r\n");
}

} // namespace

BusRecord::BusRecord(int capacity)
    : m_capacity(qMax(1, capacity)), m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
}

void BusRecord::setClock(Clock clock)
{
    if (clock)
        m_clock = std::move(clock);
}

qint64 BusRecord::append(BusDirection direction, const QString &text)
{
    const qint64 ms = m_clock();
    if (int(m_entries.size()) < m_capacity) {
        m_entries.push_back(Entry{ms, direction, text});
        return ms;
    }
    m_entries[m_first] = Entry{ms, direction, text};
    m_first = (m_first + 1) % m_entries.size();
    ++m_dropped;
    return ms;
}

const BusRecord::Entry &BusRecord::at(int index) const
{
    // An empty record has no entry to give: at() raises instead of dividing by zero.
    if (m_entries.empty())
        return m_entries.at(0);
    return m_entries.at((m_first + size_t(index)) % m_entries.size());
}

QString BusRecord::directionMark(BusDirection direction)
{
    switch (direction) {
    case BusDirection::Sent:
        return QStringLiteral("→");
    case BusDirection::Received:
        return QStringLiteral("←");
    case BusDirection::Note:
        break;
    }
    return QStringLiteral("※");
}

QString BusRecord::droppedNote(qint64 dropped)
{
    return QStringLiteral("記錄已滿，最舊的 %1 行已捨棄").arg(dropped);
}

QString BusRecord::entryLine(const Entry &entry)
{
    QByteArray line;
    LocalStamp stamp;
    QStringEncoder utf8(QStringEncoder::Utf8);
    AppendLine(line, stamp, utf8, entry.msecsSinceEpoch, entry.direction, entry.text);
    line.chop(2);
    return QString::fromUtf8(line);
}

QByteArray BusRecord::text() const
{
    QByteArray out;
    // Most lines are a frame's hex text: about 60 bytes with the stamp.
    out.reserve(qsizetype(m_entries.size()) * 64 + 128);
    LocalStamp stamp;
    QStringEncoder utf8(QStringEncoder::Utf8);
    if (m_dropped > 0)
        AppendLine(out, stamp, utf8, at(0).msecsSinceEpoch, BusDirection::Note, droppedNote(m_dropped));
    for (int i = 0; i < size(); ++i) {
        const Entry &entry = at(i);
        AppendLine(out, stamp, utf8, entry.msecsSinceEpoch, entry.direction, entry.text);
    }
    return out;
}

void BusRecord::saveTo(const QString &path) const
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto fail = [&shown](const QString &reason) {
        throw KvtError(QStringLiteral("Cannot save the bus record to %1: %2").arg(shown, reason));
    };
    // Written beside the file and renamed over it only when complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    const QByteArray bytes = text();
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

QString LocalTimeOfDay(qint64 msecsSinceEpoch)
{
    char buffer[kStampLength];
    LocalStamp().write(msecsSinceEpoch, buffer);
    return QString::fromLatin1(buffer + 11, kStampLength - 11);
}
