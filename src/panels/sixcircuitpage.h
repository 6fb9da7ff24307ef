#pragma once

#include "panels/sixcircuit.h"
#include "scenes/scenestore.h"
#include "scenes/sceneviews.h"

#include <QObject>
#include <array>

class QPushButton;
class QVBoxLayout;

constexpr int kSixCircuitBulkPauseMs = 100;

// The header strip of page "6回調光", as the page's logic needs it.
struct SixCircuitHeader
{
    QCheckBox *cb6LightsEnabled; // "開啟"
    QSpinBox *se6LightsMno; // "機號"
    QPushButton *btn6LightsSendAll; // "全傳"
    QPushButton *btn6LightsGetAll; // "全讀"
};

// Page "6回調光": the six circuit panels fm6Lights1..fm6Lights6 and the
// page-wide "全傳" and "全讀", which act only while "開啟" is set.
class SixCircuitPage : public QObject, public SixCircuitBulk
{
    Q_OBJECT
public:
    SixCircuitPage(const SixCircuitContext &context, const SixCircuitHeader &header,
                   QObject *parent = nullptr);

    // Puts the panels one under another, a thin line between neighbours.
    void placeInto(QVBoxLayout *host);
    // Panel of circuit 1..6, nullptr outside.
    Tfm6Lights *panel(int circuit) const;

    bool isEnabled() const override;
    CircuitDataView *circuitView(int circuit) override;
    void boardFound(int machineNumber) override;

    void SetReadOnly(bool flag);
    bool isBulkRunning() const { return m_bulkRunning; }

public slots:
    // For circuit 1..6: its "傳", then 100 ms.
    void btn6LightsSendAllClick() override;
    // For circuit 1..6: its "讀", 100 ms, then the pending events, so a reply
    // that has arrived is shown before the next read changes AwaitedCircuit.
    void btn6LightsGetAllClick() override;

private:
    // Runs one of the loops unless one is running already (a click handled
    // while the other loop lets events through).
    void runBulk(const QString &what, const std::function<void(Tfm6Lights &)> &step);

    SixCircuitContext m_context;
    SixCircuitHeader m_header;
    std::array<Tfm6Lights *, kCircuitCount> m_panels{};
    bool m_bulkRunning = false;
};
