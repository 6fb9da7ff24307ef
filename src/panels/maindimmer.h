#pragma once

#include "panels/panelcontext.h"
#include "scenes/scenestore.h"
#include "scenes/sceneviews.h"

#include <QObject>
#include <array>
#include <functional>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QSlider;

// The main dimmer board's controls (slot 19), built into the system page's
// Panel9: an enable box per dimmer group (JvCheckBox49 group 1, JvCheckBox50
// group 2), four vertical level bars 0..3 per group (TrackBar1..TrackBar4
// group 1, TrackBar5..TrackBar8 group 2, one per column) and the column labels
// JvLabel25..JvLabel28. Each bar's "tag" property holds the level last sent
// live for it.
//
// While the board checkbox cbMainBoard3 is set and "調光即時動作" is on, a bar
// change sends the column's levels of both groups at once as a board frame
// F3 03 mask levels.
//
// The public slots are the handlers; the controls reach them through the error
// guard, code that calls them directly sees the error.
class MainDimmer : public QObject, public MainDimmerView
{
    Q_OBJECT
public:
    // panel9: where the controls go; boardCheckBox: "主調燈光板";
    // liveAction: "調光即時動作".
    MainDimmer(const PanelContext &context, QFrame *panel9, QCheckBox *boardCheckBox,
               const QAction *liveAction, QObject *parent = nullptr);

    bool groupEnabled(int group) const override;
    void setGroupEnabled(int group, bool enabled) override;
    int level(int group, int column) const override;
    void setLevel(int group, int column, int level) override;

    // Group 1..2's enable box; column 1..4's bar of a group (nullptr outside).
    QCheckBox *groupBox(int group) const;
    QSlider *bar(int column, int group) const;
    QLabel *columnLabel(int column) const;
    // The level last sent live for a bar.
    static int lastSentLevel(const QSlider *bar);

public slots:
    // Shows the group's bars exactly while its box is checked; sends nothing.
    void JvCheckBox1Click(QObject *sender);
    // The live output command for the column of the bar that changed.
    void TrackBar1Change(QObject *sender);

private:
    void buildControls(QFrame *panel9);
    void guarded(const std::function<void()> &handler);

    PanelContext m_context;
    QCheckBox *m_boardCheckBox;
    const QAction *m_liveAction;
    std::array<QCheckBox *, kDimmerGroups> m_groupBoxes{};
    // [column 1..4][group 1..2] at [column - 1][group - 1]
    std::array<std::array<QSlider *, kDimmerGroups>, kDimmerColumns> m_bars{};
    std::array<QLabel *, kDimmerColumns> m_labels{};
};
