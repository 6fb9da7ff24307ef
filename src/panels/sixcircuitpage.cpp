#include "panels/sixcircuitpage.h"

#include "link/errorreporter.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "scenes/sixcircuitregisters.h"
#include "scenes/keyselection.h"
#include "scenes/keytables.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

SixCircuitPage::SixCircuitPage(const SixCircuitContext &context, const SixCircuitHeader &header,
                               QObject *parent)
    : QObject(parent), m_context(context), m_header(header)
{
    for (int c = 1; c <= kCircuitCount; ++c) {
        auto *panel = new Tfm6Lights(m_context);
        panel->setObjectName(QStringLiteral("fm6Lights%1").arg(c));
        m_panels[size_t(c - 1)] = panel;
    }
    ErrorReporter &errors = m_context.panel.errors;
    connect(m_header.btn6LightsSendAll, &QPushButton::clicked, this,
            [this, &errors] { RunGuarded(errors, [this] { btn6LightsSendAllClick(); }); });
    connect(m_header.btn6LightsGetAll, &QPushButton::clicked, this,
            [this, &errors] { RunGuarded(errors, [this] { btn6LightsGetAllClick(); }); });
}

void SixCircuitPage::placeInto(QVBoxLayout *host)
{
    for (int c = 1; c <= kCircuitCount; ++c) {
        if (c > 1) {
            auto *line = new QFrame;
            line->setObjectName(QStringLiteral("Bevel%1").arg(c - 1));
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            host->addWidget(line);
        }
        host->addWidget(m_panels[size_t(c - 1)], 0, Qt::AlignLeft);
    }
}

Tfm6Lights *SixCircuitPage::panel(int circuit) const
{
    return circuit >= 1 && circuit <= kCircuitCount ? m_panels[size_t(circuit - 1)] : nullptr;
}

bool SixCircuitPage::isEnabled() const
{
    return m_header.cb6LightsEnabled->isChecked();
}

CircuitDataView *SixCircuitPage::circuitView(int circuit)
{
    return panel(circuit);
}

void SixCircuitPage::boardFound(int machineNumber)
{
    m_header.se6LightsMno->setValue(machineNumber);
    m_header.cb6LightsEnabled->setChecked(true);
}

void SixCircuitPage::SetReadOnly(bool flag)
{
    for (Tfm6Lights *p : m_panels)
        p->SetReadOnly(flag);
}

void SixCircuitPage::runBulk(const QString &what, const std::function<void(Tfm6Lights &)> &step)
{
    if (!isEnabled())
        return;
    if (m_bulkRunning) {
        m_context.showStatus(QStringLiteral("6回調光%1未執行：全傳或全讀正在進行").arg(what));
        return;
    }
    // Said once for the page rather than once per circuit.
    const int keyIndex = m_context.panel.keys.selectedKeyIndex();
    if (keyIndex < 0) {
        m_context.showStatus(QStringLiteral("6回調光%1未執行：未選按鍵").arg(what));
        return;
    }
    if (!HasCircuitRegisters(keyIndex)) {
        m_context.showStatus(QStringLiteral("6回調光%1未執行：按鍵「%2」沒有6回調光的暫存器")
                                 .arg(what, KeyName(keyIndex)));
        return;
    }
    const CommandRunning running(m_bulkRunning);
    const LinkDropWatch drop(m_context.panel.bus.link, what);
    for (Tfm6Lights *p : m_panels) {
        drop.check();
        step(*p);
    }
    drop.check();
}

void SixCircuitPage::btn6LightsSendAllClick()
{
    Pacer &pacer = m_context.panel.bus.pacer;
    runBulk(QStringLiteral("全傳"), [&pacer](Tfm6Lights &p) {
        p.btnSendClick();
        pacer.pause(kSixCircuitBulkPauseMs);
    });
}

void SixCircuitPage::btn6LightsGetAllClick()
{
    Pacer &pacer = m_context.panel.bus.pacer;
    runBulk(QStringLiteral("全讀"), [&pacer](Tfm6Lights &p) {
        p.btnReadClick();
        pacer.pause(kSixCircuitBulkPauseMs);
        pacer.processEvents();
    });
}
