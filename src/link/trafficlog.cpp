#include "link/trafficlog.h"

void TrafficLog::LogLine(const QString &text, BusDirection direction)
{
    const qint64 time = m_record.append(direction, text);
    if (m_lines.size() > kMaxLinesBeforeClear)
        clear();
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(text);
    m_times.append(time);
    endInsertRows();
    emit lineAppended(row);
}

void TrafficLog::clear()
{
    if (m_lines.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, int(m_lines.size()) - 1);
    m_lines.clear();
    m_times.clear();
    endRemoveRows();
}

void TrafficLog::setShowTime(bool show)
{
    if (show == m_showTime)
        return;
    m_showTime = show;
    if (!m_lines.isEmpty())
        emit dataChanged(index(0), index(int(m_lines.size()) - 1), {Qt::DisplayRole, Qt::ToolTipRole});
    emit showTimeChanged(show);
}

int TrafficLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant TrafficLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.size())
        return {};
    const QString &text = m_lines.at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (m_showTime)
            return LocalTimeOfDay(m_times.at(index.row())) + QStringLiteral("  ") + displayText(text);
        return displayText(text);
    }
    if (role == RawLineRole)
        return text;
    return {};
}

QString TrafficLog::displayText(const QString &line)
{
    QString shown = line;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("↵"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("↵"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("↵"));
    // Other control characters (stray bytes caught inside a Modbus text) are
    // drawn as their control pictures, so nothing received is invisible.
    for (QChar &c : shown) {
        const ushort u = c.unicode();
        if (u < 0x20)
            c = QChar(ushort(0x2400 + u));
        else if (u == 0x7F)
            c = QChar(ushort(0x2421));
    }
    return shown;
}
