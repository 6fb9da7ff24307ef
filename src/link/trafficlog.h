#pragma once

#include "link/busrecord.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

// The traffic log: every frame sent and every packet received, one line each,
// held in memory only. Appending to a list of more than 1000 lines empties it
// first, so it never holds more than 1001 lines.
//
// Every line logged also goes into the bus record with its time and
// direction; clearing the list (the cap, the scan, the board test) leaves
// the record as it is.
class TrafficLog : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int kMaxLinesBeforeClear = 1000;
    // The line exactly as logged (CR and LF included); DisplayRole shows them
    // as a visible mark instead, after the time when it is shown.
    static constexpr int RawLineRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    // The caller says which way the line went; notes are the decoded
    // annotations and the program's own lines.
    void LogLine(const QString &text, BusDirection direction);
    void clear();

    BusRecord &record() { return m_record; }
    const BusRecord &record() const { return m_record; }

    // Shows the time each line was logged in front of it ("04:31:07.123  ").
    void setShowTime(bool show);
    bool showTime() const { return m_showTime; }
    qint64 lineTime(int row) const { return m_times.value(row); }

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
    // The lines are drawn with or without their time from now on.
    void showTimeChanged(bool shown);

private:
    QStringList m_lines;
    // When each line was logged, milliseconds since the epoch.
    QList<qint64> m_times;
    BusRecord m_record;
    bool m_showTime = false;
};
