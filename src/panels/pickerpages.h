#pragma once

#include <QObject>
#include <functional>
#include <vector>

class ButtonGrid;
class ClickArea;
class ErrorReporter;
class KeySelection;
class QAbstractButton;
class QLabel;
class QWidget;
class RemotePicture;
class WallPanelPicture;

// The five key-picker pages of the left page control, as the window built them.
struct PickerPageHosts
{
    QWidget *tsZAVO; // "zu"
    QWidget *tsFY1; // "線控1"
    QWidget *tsPower; // "電力控制"
    QWidget *tsB1; // "燈光板輸入", tab hidden
    QWidget *ts1Key; // "1Key"
};

// What a pick needs: the key list and "讀按鍵".
struct PickerContext
{
    KeySelection &keys;
    std::function<void()> readKey;
    ErrorReporter &errors;
};

// The key pickers: the wall panel and the wired remote with their click
// areas, the power grid, the key-input grid and the four touch-key buttons.
// A pick selects the key in the key list, runs the key switch (the panels'
// edits go into the key shown until then) and reads the key from the boards.
class PickerPages : public QObject
{
    Q_OBJECT
public:
    PickerPages(const PickerPageHosts &hosts, const PickerContext &context, QObject *parent = nullptr);

    WallPanelPicture *Image1 = nullptr;
    RemotePicture *imFY1 = nullptr;
    // Image2..Image7 over the wall panel, Image8..Image15 over the remote.
    std::vector<ClickArea *> areas;
    ButtonGrid *JvArrayButton1 = nullptr;
    ButtonGrid *JvArrayButton2 = nullptr;
    QLabel *keySwitchLabel = nullptr; // "開關:"
    std::vector<QAbstractButton *> speedButtons; // JvSpeedButton1..4

    // The click of an area or a touch-key button: picks the key of its tag.
    void Image5Click(QObject *sender);
    // The power grid: picks the power output the button shows.
    void JvArrayButton1ArrayButtonClicked(int col, int row);
    void pickKey(int keyIndex);

private:
    void buildWallPanel(QWidget *page);
    void buildRemote(QWidget *page);
    void buildGrids(QWidget *power, QWidget *inputs);
    void buildTouchKeys(QWidget *page);
    ClickArea *addArea(QWidget *page, const char *name, const QRect &rect, int keyIndex);

    PickerContext m_context;
};
