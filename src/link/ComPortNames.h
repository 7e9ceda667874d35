#pragma once

#include <QStringList>

// The port names offered for reader configuration: "COMn" for every port n (1..100) the system lists,
// in rising order; virtual "VCOM" ports are skipped. When none is found, COM1..COM16.
namespace ComPortNames {
QStringList fromSystemNames(const QStringList &systemNames);
// The names the platform's serial port list holds.
QStringList systemNames();
} // namespace ComPortNames
