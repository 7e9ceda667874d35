#pragma once

#include <QString>

// Port numbers are typed as text. Before use a port text is rewritten as its integer value, or as
// 4001 when it does not read as an integer.
namespace PortText {
constexpr int kDefaultPort = 4001;
QString normalized(const QString &text);
int value(const QString &text);
} // namespace PortText
