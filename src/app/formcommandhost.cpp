#include "app/formcommandhost.h"

#include "app/mainmenu.h"
#include "app/windowpanels.h"
#include "panels/lightboard.h"
#include "protocol/kvterror.h"
#include "scenes/scenestore.h"
#include "scenes/sixkeyview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

FormCommandHost::FormCommandHost(MainMenu &menu, WindowPanels &panels, SceneStore &store, QComboBox *stepList)
    : m_menu(menu), m_panels(panels), m_store(store), m_stepList(stepList)
{
}

bool FormCommandHost::relayModbus() const
{
    return m_menu.relayModbus();
}

bool FormCommandHost::cpuModbus() const
{
    return m_menu.cpuModbus();
}

bool FormCommandHost::readOnly() const
{
    return m_menu.miReadOnly->isChecked();
}

bool FormCommandHost::transAllOrder() const
{
    return m_menu.TransAllOrder->isChecked();
}

void FormCommandHost::setCommandEnabled(BusCommand command, bool enabled)
{
    switch (command) {
    case BusCommand::Scan:
        m_menu.miScan->setEnabled(enabled);
        break;
    case BusCommand::ReadAll:
        m_menu.miReadAll->setEnabled(enabled);
        break;
    case BusCommand::SendAll:
        m_menu.miSendAll->setEnabled(enabled);
        break;
    case BusCommand::Read6Key:
        m_menu.miRead6Key->setEnabled(enabled);
        break;
    }
}

bool FormCommandHost::isBoardPresent(int slot) const
{
    const QCheckBox *box = m_panels.BoardCheckBoxes.at(slot);
    return box && box->isChecked();
}

void FormCommandHost::setBoardPresent(int slot, bool present)
{
    QCheckBox *box = m_panels.BoardCheckBoxes.at(slot);
    if (!box)
        throw KvtError(QStringLiteral("Board slot %1 does not exist").arg(slot));
    box->setChecked(present);
}

BoardDataView *FormCommandHost::lightBoardPanel(int n)
{
    return m_panels.LightBoardPanels.at(n);
}

MainDimmerView *FormCommandHost::mainDimmer()
{
    return m_store.mainDimmerView();
}

SixCircuitBulk *FormCommandHost::sixCircuits()
{
    return m_panels.SixCircuits;
}

SixKeyPanelView *FormCommandHost::sixKeyPanel(int panel)
{
    return m_panels.SixKeyPanels.at(panel);
}

int FormCommandHost::stepIndex() const
{
    return m_stepList->currentIndex();
}

void FormCommandHost::setStepIndex(int index)
{
    m_stepList->setCurrentIndex(index);
}
