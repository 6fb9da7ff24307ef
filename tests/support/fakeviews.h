#pragma once

#include "scenes/sceneviews.h"
#include "scenes/sixkeyview.h"

#include <QByteArray>
#include <QStringList>
#include <array>

// Panels of kinds that a test binds in place of the window's own, recording
// what reaches them as lines of a shared trace ("key2:01020304").

class FakeMainDimmer : public MainDimmerView
{
public:
    bool groupEnabled(int group) const override { return enabled[group - 1]; }
    void setGroupEnabled(int group, bool on) override
    {
        enabled[group - 1] = on;
        ++changes;
    }
    int level(int group, int column) const override { return levels[group - 1][column - 1]; }
    void setLevel(int group, int column, int value) override
    {
        levels[group - 1][column - 1] = value;
        ++changes;
    }

    bool enabled[2] = {false, false};
    int levels[2][4] = {};
    int changes = 0;
};

class FakeCircuit : public CircuitDataView
{
public:
    FakeCircuit(int circuit, QStringList &trace) : m_circuit(circuit), m_trace(trace) {}
    QByteArray EncodeCircuitData() const override { return QByteArray(4, '\0'); }
    void DecodeCircuitData(const QByteArray &data) override
    {
        m_trace.append(QStringLiteral("circuit%1:%2").arg(m_circuit).arg(QString::fromLatin1(data.toHex().toUpper())));
    }

private:
    int m_circuit;
    QStringList &m_trace;
};

class FakeSixCircuits : public SixCircuitBulk
{
public:
    explicit FakeSixCircuits(QStringList &trace)
        : m_trace(trace), m_circuits{{{1, trace}, {2, trace}, {3, trace}, {4, trace}, {5, trace}, {6, trace}}}
    {
    }
    bool isEnabled() const override { return enabled; }
    void btn6LightsSendAllClick() override { m_trace.append(QStringLiteral("全傳")); }
    void btn6LightsGetAllClick() override { m_trace.append(QStringLiteral("全讀")); }
    CircuitDataView *circuitView(int circuit) override
    {
        return circuit >= 1 && circuit <= 6 ? &m_circuits[size_t(circuit - 1)] : nullptr;
    }
    void boardFound(int machineNumber) override { m_trace.append(QStringLiteral("found%1").arg(machineNumber)); }

    bool enabled = false;

private:
    QStringList &m_trace;
    std::array<FakeCircuit, 6> m_circuits;
};

// A six-key panel that does nothing; a stand-in overrides what its test watches.
class NullSixKeyPanel : public SixKeyPanelView
{
public:
    void ApplyKeyReply(const QByteArray &) override {}
    void ApplySensitivityReply(const QByteArray &) override {}
    void SaveSettings(SceneFileStorage &) override {}
    std::function<void()> ReadSettings(const SceneFileStorage &) const override { return [] {}; }
    QString keyIndexText(int) const override { return QString(); }
    void setButtonCaption(int, const QString &) override {}
    void RequestKeySetting(int) override {}
    int SendAllKeys() override { return 0; }
    void SetPanelNumber(int) override {}
    void SetReadOnly(bool) override {}
};

class FakeSixKeyPanel : public NullSixKeyPanel
{
public:
    FakeSixKeyPanel(int panel, QStringList &trace) : m_panel(panel), m_trace(trace) {}
    void ApplyKeyReply(const QByteArray &data) override { record(QStringLiteral("key"), data); }
    void ApplySensitivityReply(const QByteArray &data) override { record(QStringLiteral("sens"), data); }

private:
    void record(const QString &what, const QByteArray &data)
    {
        m_trace.append(QStringLiteral("%1%2:%3").arg(what).arg(m_panel).arg(QString::fromLatin1(data.toHex().toUpper())));
    }
    int m_panel;
    QStringList &m_trace;
};
