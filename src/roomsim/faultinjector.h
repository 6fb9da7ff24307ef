#pragma once

#include <QByteArray>
#include <random>

// Faults on demand for reliability runs: answers that never reach the line
// and answer bytes altered on the way. Seeded, so a run can be repeated.
class FaultInjector
{
public:
    struct Outcome
    {
        QByteArray bytes; // what goes on the line; empty when dropped
        bool dropped = false;
        int corrupted = 0; // bytes altered
    };

    FaultInjector(double dropRate, double corruptRate, quint32 seed);

    Outcome apply(const QByteArray &reply);

private:
    double m_dropRate;
    double m_corruptRate;
    std::mt19937 m_rng;
    std::uniform_real_distribution<double> m_chance {0.0, 1.0};
    std::uniform_int_distribution<int> m_flip {1, 255};
};
