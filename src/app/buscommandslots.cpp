// The main window's bus command handlers and the binding of the reply
// dispatcher to the link's packet rules.
#include "app/buscommands.h"
#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/mainwindow.h"
#include "app/statusprogress.h"
#include "scenes/keyswitch.h"
#include "link/devicelink.h"
#include "mediaboard/mediaboard.h"

#include <QAction>

void TForm1::createBusCommands()
{
    m_busCommands = std::make_unique<BusCommands>(m_bus, m_busState, *m_keySwitch, *m_progress, *m_menu, m_panels,
                                                  m_sceneStore, m_pages->ComboBox2);
    // The register page's read-back sees the Modbus replies after the dispatcher.
    m_busCommands->replies.setModbusReplyObserver(&m_mediaBoard->registers().replyObserver());

    const auto onTriggered = [this](QAction *item, void (TForm1::*handler)()) {
        connect(item, &QAction::triggered, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    onTriggered(m_menu->miScan, &TForm1::miScanClick);
    onTriggered(m_menu->btnRead, &TForm1::btnReadClick);
    onTriggered(m_menu->miSendKey, &TForm1::miSendKeyClick);
    onTriggered(m_menu->miReadAll, &TForm1::miReadAllClick);
    onTriggered(m_menu->miSendAll, &TForm1::miSendAllClick);
    onTriggered(m_menu->miRead6Key, &TForm1::miRead6KeyClick);
    onTriggered(m_menu->miSend6Key, &TForm1::miSend6KeyClick);
    onTriggered(m_menu->N6, &TForm1::N6Click);

    // Rules 1 and 2 ('H' 0B, 'H' 02) share a handler; 3 is Modbus, 4 'H' 03.
    const auto bindRule = [this](int rule, void (TForm1::*handler)(const QByteArray &)) {
        m_link->setPacketHandler(rule, [this, handler](const QByteArray &packet) {
            guarded([this, handler, &packet] { (this->*handler)(packet); });
        });
    };
    bindRule(1, &TForm1::ApdDataPacket1StringPacket);
    bindRule(2, &TForm1::ApdDataPacket1StringPacket);
    bindRule(3, &TForm1::ApdDataPacket3StringPacket);
    bindRule(4, &TForm1::ApdDataPacket4StringPacket);
}

KeyCommands &TForm1::keyCommands()
{
    return m_busCommands->keys;
}

void TForm1::miScanClick()
{
    m_busCommands->keys.miScanClick();
}

void TForm1::btnReadClick()
{
    m_busCommands->keys.btnReadClick();
}

void TForm1::miSendKeyClick()
{
    m_busCommands->keys.miSendKeyClick();
}

void TForm1::miReadAllClick()
{
    m_busCommands->bulk.miReadAllClick();
}

void TForm1::miSendAllClick()
{
    m_busCommands->bulk.miSendAllClick();
}

void TForm1::miRead6KeyClick()
{
    m_busCommands->sixKeys.miRead6KeyClick();
}

void TForm1::miSend6KeyClick()
{
    m_busCommands->sixKeys.miSend6KeyClick();
}

void TForm1::N6Click()
{
    m_busCommands->bulk.N6Click();
}

void TForm1::ApdDataPacket1StringPacket(const QByteArray &packet)
{
    m_busCommands->replies.ApdDataPacket1StringPacket(packet);
}

void TForm1::ApdDataPacket3StringPacket(const QByteArray &packet)
{
    m_busCommands->replies.ApdDataPacket3StringPacket(packet);
}

void TForm1::ApdDataPacket4StringPacket(const QByteArray &packet)
{
    m_busCommands->replies.ApdDataPacket4StringPacket(packet);
}
