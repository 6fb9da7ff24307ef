#pragma once

#include "panels/panelcontext.h"
#include "scenes/sixkeyrequests.h"
#include "scenes/sixkeyview.h"

#include <QFrame>
#include <QStringList>
#include <array>
#include <functional>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;
class ReplyWatch;
class SceneFileStorage;

// What the six-key panels share with the window around them.
struct SixKeyContext
{
    PanelContext panel;
    SceneFileStorage &storage; // the buttons' settings
    // What the board answered: the sensitivity commands sum it up.
    const ReplyWatch &replies;
    // Shows a line in the window's status bar (why nothing was sent); required.
    std::function<void(const QString &)> showStatus;
};

// The grid btns6Key: six captioned buttons, 1, 2, 3 in the top row and 4, 5, 6
// below. Each button's caption is its text; the key index it triggers is kept
// beside it as decimal text (its hint). Both lists are readable from outside
// as the properties "captions" and "hints". Up to three widgets can lie over
// the grid, one in the middle of each column, across the border of the rows.
class SixKeyButtonGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList captions READ captions)
    Q_PROPERTY(QStringList hints READ hints)
public:
    explicit SixKeyButtonGrid(QWidget *parent = nullptr);

    QStringList captions() const;
    QStringList hints() const { return m_hints; }
    // button 1..6
    QPushButton *button(int button) const;
    void setCaption(int button, const QString &caption);
    QString hint(int button) const;
    void setHint(int button, const QString &hint);
    void setOverlay(int column, QWidget *widget);

signals:
    // column 0..2, row 0..1
    void clicked(int column, int row);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeOverlays();

    std::array<QPushButton *, kSixKeyButtonCount> m_buttons{};
    std::array<QWidget *, 3> m_overlays{};
    QStringList m_hints;
};

// The panel of one six-key wall panel (Tfm6Key, fm6Key1..fm6Key10): for each
// of its six touch keys the scene key it triggers, loop, "送停", the time unit
// and value, and the touch sensitivity; the board's registers are written and
// read through the requests of scenes/sixkeyrequests.h.
//
// Controls of button B (1..6): cbLoopB "Loop", cbStopB "送停", rbSecB "秒",
// rbMinB "分", seB (0..31), seqtB (0..63); the grid btns6Key; btnQT
// "設靈敏度", btnReadQT "讀靈敏度" and btnSendKey (all six settings).
//
// The public slots are the handlers. They may raise KvtError; the panel's own
// widgets reach them through the error guard, code that calls them directly
// sees the error.
class Tfm6Key : public QFrame, public SixKeyPanelView
{
    Q_OBJECT
public:
    explicit Tfm6Key(const SixKeyContext &context, QWidget *parent = nullptr);

    // Panel 1..kSixKeyPanelCount, then its settings restored from the scene image.
    void SetPanelNumber(int n) override;
    int panelNumber() const { return m_panel; }
    quint8 BusId() const;
    void RestoreSettings();

    // StoredSettings: entries "\6key<n>\key<B>\Loop" .. "\Hint".
    void SaveSettings(SceneFileStorage &storage) override;
    std::function<void()> ReadSettings(const SceneFileStorage &storage) const override;
    // SixKeyButtonList (button 0..5)
    QString keyIndexText(int button) const override;
    void setButtonCaption(int button, const QString &caption) override;
    // SixKeyPanelView
    void RequestKeySetting(int position) override;
    int SendAllKeys() override;
    void ApplyKeyReply(const QByteArray &data) override;
    void ApplySensitivityReply(const QByteArray &data) override;

    void SetReadOnly(bool flag) override;
    bool isReadOnly() const { return m_readOnly; }
    // The board position of the last read request, 0 before the first.
    int lastRequestedPosition() const { return m_lastPosition; }

    SixKeyButtonGrid *grid() const { return m_grid; }
    QPushButton *qtButton() const { return m_btnQT; }
    QPushButton *readQtButton() const { return m_btnReadQT; }
    QToolButton *sendKeyButton() const { return m_btnSendKey; }
    // button 1..6
    QCheckBox *loopBox(int button) const;
    QCheckBox *stopBox(int button) const;
    QRadioButton *secondsButton(int button) const;
    QRadioButton *minutesButton(int button) const;
    QSpinBox *timeValueBox(int button) const;
    QSpinBox *sensitivityBox(int button) const;

public slots:
    void btns6KeyArrayButtonClicked(int column, int row);
    void btnSendKeyClick();
    void btnQTClick();
    void btnReadQTClick();

private:
    struct ButtonControls
    {
        QCheckBox *loop = nullptr;
        QCheckBox *stop = nullptr;
        QRadioButton *seconds = nullptr;
        QRadioButton *minutes = nullptr;
        QSpinBox *timeValue = nullptr;
        QSpinBox *sensitivity = nullptr;
    };
    // What the scene file keeps of one button.
    struct ButtonSettings
    {
        bool loop = true;
        bool stop = false;
        bool minutes = false;
        int timeValue = 0;
        int sensitivity = 8;
        QString caption;
        QString hint;
    };

    void buildControls();
    QWidget *buildGroup(int button);
    void guarded(const std::function<void()> &handler);
    const ButtonControls &controls(int button) const { return m_controls[size_t(button - 1)]; }
    SixKeyFlags flags(int button) const;
    void showFlags(int button, const SixKeyFlags &flags);
    // Sends button 1..6's setting; false (nothing sent) when it has no key.
    bool sendButton(int button);
    // Sends one sensitivity request and shows whether the board answered it
    // ("設靈敏度：1/1 已回覆"): an echo of the write, a read reply of six bytes.
    void sendSensitivity(const QString &command, const QByteArray &request, bool write);
    void reportUnassigned(const QList<int> &buttons);
    QString settingsPath(int button, const char *entry) const;

    SixKeyContext m_context;
    int m_panel = 0;
    bool m_readOnly = false;
    bool m_sendingAll = false;
    int m_lastPosition = 0;
    std::array<ButtonControls, kSixKeyButtonCount> m_controls{};
    SixKeyButtonGrid *m_grid = nullptr;
    QPushButton *m_btnQT = nullptr;
    QPushButton *m_btnReadQT = nullptr;
    QToolButton *m_btnSendKey = nullptr;
};
