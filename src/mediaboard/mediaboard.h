#pragma once

#include "mediaboard/devicepages.h"
#include "mediaboard/modbusregisterpage.h"

#include <QObject>

class QTabWidget;

// The media board tab's pages: the register page "主頁" and the device
// pages, built into the existing sheets of pgModbus (found by name).
class MediaBoard : public QObject
{
    Q_OBJECT
public:
    MediaBoard(const MediaBoardContext &context, QTabWidget *pgModbus, QObject *parent = nullptr);

    ModbusRegisterPage &registers() { return m_registers; }
    DevicePages &devices() { return m_devices; }

private:
    ModbusRegisterPage m_registers;
    DevicePages m_devices;
};
