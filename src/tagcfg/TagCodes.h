#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The codes the tag settings pages build from their check boxes and radio buttons, the action
// commands, and the rules that tie sliders together.
namespace TagCodes {

// Register 46: a set bit means that LED is off (bit 0 LED1, bit 1 LED2): both on gives 0, none 3.
int ledModeCode(bool led1, bool led2);
// The LED action after the UID: "L", the flash digit ("8" or "0"), the LED digit (bit 0 LED1,
// bit 1 LED2 on: the opposite sense to the mode code), then "%02X" of the LED time: "L8301".
QByteArray ledAction(bool flash, bool led1, bool led2, int timeTenths);
// The beep action after the UID: "B00" + "%02X" of the beep time in tenths: "B0001".
QByteArray beepAction(int timeTenths);
// Register 45: the first checked radio button decides (rbtn01 -> 0 .. rbtn04 -> 3); none gives 3.
int powerKeyCode(const std::array<bool, 4> &checked);
// The index of the first checked radio button, -1 for none.
int firstChecked(const std::array<bool, 4> &checked);
// "TAG Version " + the value's two hex digits joined by a point: 0x1A gives "TAG Version 1.A".
QString versionText(int value);

// The High Level slider's maximum after Standard Temp, Top Level or High Level changed: Top Level
// position - 1 while Top Level is above 1; otherwise the maximum stays as it was.
int highLevelMaximum(int topLevel, int currentMaximum);

} // namespace TagCodes
