#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

class QPushButton;

// Rows x Cols equal buttons filling the widget. The button in row r, column c
// (both from 0) shows caption r * Cols + c of the caption list on colour
// r * Cols + c of the colour list; silver where that list has no entry.
// Colour entries are decimal texts of a colour value 0x00BBGGRR ("65535" is
// yellow); an entry that is not such a number shows silver too. A click
// reports (column, row).
class ButtonGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList captions READ captions WRITE setCaptions)
    Q_PROPERTY(QStringList colors READ colors WRITE setColors)
public:
    ButtonGrid(int rows, int cols, QWidget *parent = nullptr);

    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    QStringList captions() const { return m_captions; }
    void setCaptions(const QStringList &captions);
    QStringList colors() const { return m_colors; }
    void setColors(const QStringList &colors);
    QPushButton *button(int col, int row) const;

    // The colour an entry stands for: silver when it is absent or not a
    // colour value.
    static QColor EntryColor(const QStringList &colors, int index);

signals:
    void ArrayButtonClicked(int col, int row);

private:
    void refresh();

    int m_rows;
    int m_cols;
    QStringList m_captions;
    QStringList m_colors;
    std::vector<QPushButton *> m_buttons;
};
