#include "link/comports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString ComPorts::devicePath(int comNumber) const
{
    const QString mapped = QDir(m_programFolder).filePath(QStringLiteral("ports/") + portLabel(comNumber));
    const QFileInfo info(mapped);
    QString path;
    if (info.isSymLink()) {
        path = info.symLinkTarget();
    } else if (info.isFile()) {
        QFile file(mapped);
        if (file.open(QIODevice::ReadOnly))
            path = QString::fromLocal8Bit(file.readLine(4096)).trimmed();
        if (path.isEmpty())
            return QString();
    } else {
        path = QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QList<int> ComPorts::existing() const
{
    QList<int> ports;
    for (int n = kLowest; n <= kHighest; ++n) {
        const QString path = devicePath(n);
        if (!path.isEmpty() && QFileInfo::exists(path))
            ports.append(n);
    }
    return ports;
}

QString ComPorts::portLabel(int comNumber)
{
    return QStringLiteral("COM%1").arg(comNumber);
}
