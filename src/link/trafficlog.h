#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The traffic log: every frame sent and every packet received, one line each,
// held in memory only. Appending to a list of more than 1000 lines empties it
// first, so it never holds more than 1001 lines.
class TrafficLog : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int kMaxLinesBeforeClear = 1000;
    // The line exactly as logged (CR and LF included); DisplayRole shows them
    // as a visible mark instead.
    static constexpr int RawLineRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    void LogLine(const QString &text);
    void clear();

    int lineCount() const { return int(m_lines.size()); }
    QString line(int row) const { return m_lines.value(row); }
    const QStringList &lines() const { return m_lines; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // How a line is drawn: CR LF and lone CR or LF become "↵"; other control
    // characters become their control pictures (NUL as "␀").
    static QString displayText(const QString &line);

signals:
    // A line was appended at this row (the view selects it).
    void lineAppended(int row);

private:
    QStringList m_lines;
};
