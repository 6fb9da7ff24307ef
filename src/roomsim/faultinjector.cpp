#include "roomsim/faultinjector.h"

FaultInjector::FaultInjector(double dropRate, double corruptRate, quint32 seed)
    : m_dropRate(dropRate), m_corruptRate(corruptRate), m_rng(seed)
{
}

FaultInjector::Outcome FaultInjector::apply(const QByteArray &reply)
{
    Outcome outcome;
    if (reply.isEmpty())
        return outcome;
    if (m_dropRate > 0 && m_chance(m_rng) < m_dropRate) {
        outcome.dropped = true;
        return outcome;
    }
    outcome.bytes = reply;
    if (m_corruptRate > 0) {
        for (char &byte : outcome.bytes) {
            if (m_chance(m_rng) < m_corruptRate) {
                // XOR with 1..255: the byte always changes.
                byte = char(quint8(byte) ^ quint8(m_flip(m_rng)));
                ++outcome.corrupted;
            }
        }
    }
    return outcome;
}
