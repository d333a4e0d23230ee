#pragma once
// Port names and the serial devices behind them.
//
// A port text becomes a name "COM1".."COM96": a leading "COM" (any case) is
// dropped, the rest is read as a decimal number, and anything that is not a
// number in 1..96 gives COM1.
//
// "COMn" is a Linux device by one rule:
// - if the settings file has a group [Portas], its keys COM1..COM96 give the
//   device paths, and a name it does not list has no device;
// - without that group, COMn is the n-th device present of /dev/ttyUSB*,
//   /dev/ttyACM*, /dev/ttyS* in this order, each kind in numeric order, so a
//   single USB adapter is COM1 with no configuration.

#include <QString>
#include <QStringList>

QString normalisePortName(const QString &text);

// The devices of the default rule found in devDir, as full paths, in COM order.
QStringList presentSerialDevices(const QString &devDir = QStringLiteral("/dev"));

// The device path of a port name by the rule above; empty when there is none.
QString comDevicePath(const QString &portName, const QString &settingsPath,
                      const QString &devDir = QStringLiteral("/dev"));
