#include "scenes/transfersummary.h"

#include <QStringList>

void TransferSummary::add(int slot, int keyNumber, bool answered)
{
    ++m_asked;
    if (answered)
        ++m_answered;
    else
        m_missing[slot].append(keyNumber);
}

QString TransferSummary::text(const QString &command) const
{
    QString text = QStringLiteral("%1：%2/%3 已回覆").arg(command).arg(m_answered).arg(m_asked);
    if (m_missing.isEmpty())
        return text;
    QStringList boards;
    int listed = 0;
    bool cut = false;
    for (auto it = m_missing.cbegin(); it != m_missing.cend() && !cut; ++it) {
        QStringList keys;
        for (int key : it.value()) {
            if (listed == kMaxListed) {
                cut = true;
                break;
            }
            if (key > 0)
                keys.append(QStringLiteral("鍵%1").arg(key));
            ++listed;
        }
        if (cut && keys.isEmpty())
            break;
        QString board = QStringLiteral("板%1").arg(it.key());
        if (!keys.isEmpty())
            board += QLatin1Char(' ') + keys.join(QStringLiteral(", "));
        boards.append(board);
    }
    text += QStringLiteral("，未回覆：") + boards.join(QStringLiteral("；"));
    if (cut)
        text += QStringLiteral(" …");
    return text;
}
