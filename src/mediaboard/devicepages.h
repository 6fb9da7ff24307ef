#pragma once

#include "mediaboard/mediaboardcontext.h"
#include "mediaboard/mediatables.h"

#include <QObject>
#include <vector>

class HexSpinBox;
class ModbusRegisterPage;
class QComboBox;
class QPushButton;
class QTabWidget;
class QWidget;

// The pause between the two writes of "確認", on top of the first write's own.
constexpr int kConfirmPauseMs = 500;

// The device configuration pages of the media board: "遙控器", "TV", "VOD",
// "AMP", "KTV", "DVD" and "機上盒" (tags 0..6), built from their tables into
// the sheets tsModbus<word> of pgModbus. List fields are pick-only and start
// with nothing selected; spin fields hold one byte, start at FF.
//
// A page's two register values are sent through its row of the register
// page, which it fills and presses as the user would.
//
// The public slots are the handlers, told apart by the tag of the button
// they get; they may raise KvtError. The pages' buttons reach them through
// the error guard.
class DevicePages : public QObject
{
    Q_OBJECT
public:
    DevicePages(const MediaBoardContext &context, ModbusRegisterPage &registers, QTabWidget *pgModbus,
                QObject *parent = nullptr);

    // The page of the tag, its sheet and its field k (a QComboBox or a HexSpinBox).
    const DevicePageLayout &layout(int tag) const;
    QWidget *sheet(int tag) const;
    QWidget *field(int tag, int k) const;
    // The byte field k contributes: the selected item's (FF with none
    // selected, the board's default), or the spin field's value.
    quint8 fieldByte(int tag, int k) const;

public slots:
    // "確認": shows "主頁", puts the first value into the row's Data and sends
    // it, waits 500 ms (events running), then the second value at Address + 4.
    void btnModbusRemoteOKClick(QObject *sender);
    // "讀入": no action.
    void btnModbusRemoteReadClick(QObject *sender);
    // "預設值": every list field to its first (FF) item, every spin field to FF.
    void btnModbusRemoteResetClick(QObject *sender);

private:
    struct Page
    {
        const DevicePageLayout *layout = nullptr;
        QWidget *sheet = nullptr;
        std::vector<QWidget *> fields;
    };
    void buildPage(Page &page);
    QWidget *buildField(const Page &page, int k, QWidget **control);
    QPushButton *addButton(const Page &page, const char *role, const QString &caption,
                           void (DevicePages::*handler)(QObject *));
    const Page &pageOf(QObject *sender) const;
    const Page &pageAt(int tag) const;
    QByteArray fieldBytes(const Page &page) const;

    MediaBoardContext m_context;
    ModbusRegisterPage &m_registers;
    QTabWidget *m_pgModbus;
    std::vector<Page> m_pages;
    bool m_confirming = false;
};
