#pragma once

#include <QMap>
#include <QString>

// The summary a bus command ends with: how many of its requests were
// answered and which boards (slots) and keys were not, e.g.
//   "讀全部：124/124 已回覆"
//   "讀全部：117/124 已回覆，未回覆：板1 鍵4, 鍵5；板2 鍵7"
// A long list ends with " …" after kMaxListed keys.
class TransferSummary
{
public:
    static constexpr int kMaxListed = 12;

    // keyNumber 1..62, or 0 for a command of no key (the scan).
    void add(int slot, int keyNumber, bool answered);
    int asked() const { return m_asked; }
    int answered() const { return m_answered; }
    QString text(const QString &command) const;

private:
    int m_asked = 0;
    int m_answered = 0;
    QMap<int, QList<int>> m_missing; // slot -> key numbers
};
