#include "mediaboard/mediaboard.h"

#include "protocol/kvterror.h"

#include <QTabWidget>

namespace {

QWidget *MainSheet(QTabWidget *pgModbus)
{
    if (!pgModbus)
        throw KvtError(QStringLiteral("The media board pages have no page control to fill"));
    return pgModbus->findChild<QWidget *>(QStringLiteral("tsModbusMain"));
}

} // namespace

MediaBoard::MediaBoard(const MediaBoardContext &context, QTabWidget *pgModbus, QObject *parent)
    : QObject(parent),
      m_registers(context, MainSheet(pgModbus), this),
      m_devices(context, m_registers, pgModbus, this)
{
}
