#pragma once

#include "mediaboard/mediaboardcontext.h"
#include "scenes/registerreadback.h"

#include <QObject>
#include <array>

class HexEdit;
class QPushButton;
class QWidget;

constexpr int kRegisterRows = 6;
constexpr int kDataColumns = 2;

// The register page "主頁" (tsModbusMain): six rows, each writing a 32-bit
// value as two holding registers at its Address (column 0) or Address + 4
// (column 1) of the slave in its ID field, and reading it back.
//
// Row r's controls: edModbusId<r>, edModbusAddress<r>, edModbusData<r><c>,
// btnSendModbus<r><c> "送出" and btnReadModbus<r><c> "讀取", the buttons
// carrying the tag 10 r + c. Nothing on the page is saved.
//
// The public slots are the handlers; they may raise KvtError. The page's
// buttons reach them through the error guard, code that calls them directly
// sees the error.
class ModbusRegisterPage : public QObject
{
    Q_OBJECT
public:
    ModbusRegisterPage(const MediaBoardContext &context, QWidget *sheet, QObject *parent = nullptr);

    QWidget *sheet() const { return m_sheet; }
    HexEdit *idField(int row) const;
    HexEdit *addressField(int row) const;
    HexEdit *dataField(int row, int column) const;
    QPushButton *sendButton(int row, int column) const;
    QPushButton *readButton(int row, int column) const;

    // Shows the value in the data field, upper-case hex without leading zeros.
    void setData(int row, int column, quint32 value);
    // Runs what a click on the send button runs; its errors reach the caller.
    void pressSend(int row, int column);

    // Listens for the read-back's answers (bound to the reply dispatcher).
    ModbusReplyObserver &replyObserver() { return m_readBack; }

public slots:
    // "送出": tag t, row t div 10, data column t mod 10.
    void btnSendModbus00Click(QObject *sender);
    // "讀取": reads the two registers at the same place into the data field.
    void btnReadModbus00Click(QObject *sender);

private:
    struct Row
    {
        HexEdit *id = nullptr;
        HexEdit *address = nullptr;
        std::array<HexEdit *, kDataColumns> data{};
        std::array<QPushButton *, kDataColumns> send{};
        std::array<QPushButton *, kDataColumns> read{};
    };
    void build();
    const Row &rowAt(int row) const;
    // The row and column a button's tag names; KvtError outside the page.
    static std::pair<int, int> Place(QObject *sender);
    quint8 idOf(int row) const;
    quint16 addressOf(int row, int column) const;

    MediaBoardContext m_context;
    QWidget *m_sheet;
    std::array<Row, kRegisterRows> m_rows{};
    RegisterReadBack m_readBack;
};
