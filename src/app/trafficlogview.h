#pragma once

#include <QListView>

class QAction;
class TrafficLog;

// The traffic log list "ListBox1": one line per frame or packet in a
// fixed-pitch font; the line last added is selected and scrolled into view.
// Lines can be selected together and copied (Ctrl+C or "複製" in its context
// menu); "顯示時間" (miShowTime) in the context menu shows each line's time.
class TrafficLogView : public QListView
{
    Q_OBJECT
public:
    static constexpr int kFontPixelSize = 13;

    explicit TrafficLogView(TrafficLog *log, QWidget *parent = nullptr);

    TrafficLog *log() const { return m_log; }
    QAction *copyAction() const { return m_copy; }
    QAction *showTimeAction() const { return m_showTime; }

    // The selected lines as shown, oldest first, one per line.
    QString selectedText() const;

public slots:
    // Puts the selected lines on the clipboard; nothing selected, nothing copied.
    void copySelection();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectRow(int row);

    TrafficLog *m_log;
    QAction *m_copy;
    QAction *m_showTime;
};
