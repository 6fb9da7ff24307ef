#include "app/formcommandhost.h"

#include "app/mainmenu.h"
#include "app/mainpages.h"
#include "app/mainwindow.h"
#include "panels/lightboard.h"
#include "protocol/kvterror.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

FormCommandHost::FormCommandHost(TForm1 &form) : m_form(form) {}

bool FormCommandHost::relayModbus() const
{
    return m_form.menu().relayModbus();
}

bool FormCommandHost::cpuModbus() const
{
    return m_form.menu().cpuModbus();
}

bool FormCommandHost::readOnly() const
{
    return m_form.menu().miReadOnly->isChecked();
}

bool FormCommandHost::transAllOrder() const
{
    return m_form.menu().TransAllOrder->isChecked();
}

void FormCommandHost::setCommandEnabled(BusCommand command, bool enabled)
{
    MainMenu &menu = m_form.menu();
    switch (command) {
    case BusCommand::Scan:
        menu.miScan->setEnabled(enabled);
        break;
    case BusCommand::ReadAll:
        menu.miReadAll->setEnabled(enabled);
        break;
    case BusCommand::SendAll:
        menu.miSendAll->setEnabled(enabled);
        break;
    }
}

bool FormCommandHost::isBoardPresent(int slot) const
{
    const QCheckBox *box = m_form.boardCheckBox(slot);
    return box && box->isChecked();
}

void FormCommandHost::setBoardPresent(int slot, bool present)
{
    QCheckBox *box = m_form.boardCheckBox(slot);
    if (!box)
        throw KvtError(QStringLiteral("Board slot %1 does not exist").arg(slot));
    box->setChecked(present);
}

BoardDataView *FormCommandHost::lightBoardPanel(int n)
{
    return m_form.lightBoardPanel(n);
}

MainDimmerView *FormCommandHost::mainDimmer()
{
    return m_form.sceneStore().mainDimmerView();
}

SixKeyReplyView *FormCommandHost::sixKeyPanel(int panel)
{
    return panel >= 1 && panel <= kSixKeyPanels ? m_sixKeyPanels[size_t(panel)] : nullptr;
}

void FormCommandHost::bindSixKeyPanel(int panel, SixKeyReplyView *view)
{
    if (panel < 1 || panel > kSixKeyPanels)
        throw KvtError(QStringLiteral("Six-key panel %1 does not exist").arg(panel));
    m_sixKeyPanels[size_t(panel)] = view;
}

void FormCommandHost::readSixKeys()
{
    if (m_readSixKeys)
        m_readSixKeys();
}

int FormCommandHost::stepIndex() const
{
    return m_form.pages().ComboBox2->currentIndex();
}

void FormCommandHost::setStepIndex(int index)
{
    m_form.pages().ComboBox2->setCurrentIndex(index);
}
