#pragma once

#include <QListView>

class TrafficLog;

// The traffic log list "ListBox1": one line per frame or packet in a
// fixed-pitch font; the line last added is selected and scrolled into view.
class TrafficLogView : public QListView
{
    Q_OBJECT
public:
    static constexpr int kFontPixelSize = 13;

    explicit TrafficLogView(TrafficLog *log, QWidget *parent = nullptr);

    TrafficLog *log() const { return m_log; }

private:
    void selectRow(int row);

    TrafficLog *m_log;
};
