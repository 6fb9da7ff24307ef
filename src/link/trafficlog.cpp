#include "link/trafficlog.h"

void TrafficLog::LogLine(const QString &text)
{
    if (m_lines.size() > kMaxLinesBeforeClear)
        clear();
    const int row = int(m_lines.size());
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(text);
    endInsertRows();
    emit lineAppended(row);
}

void TrafficLog::clear()
{
    if (m_lines.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, int(m_lines.size()) - 1);
    m_lines.clear();
    endRemoveRows();
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
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return displayText(text);
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
    return shown;
}
