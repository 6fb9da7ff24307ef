#include "scenefiletext.h"

#include <QFile>

SceneFileEntries ReadSceneFileText(const QString &path)
{
    SceneFileEntries sections;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return sections;
    QString section;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            section = line.mid(1, line.size() - 2);
        else if (const qsizetype equals = line.indexOf(QLatin1Char('=')); equals > 0)
            sections[section].insert(line.left(equals), line.mid(equals + 1));
    }
    return sections;
}
