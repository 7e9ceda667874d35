#pragma once

#include <QString>

// Port numbers are typed as text. Before use a port text is rewritten as its integer value, or as
// 4001 when it does not read as an integer.
namespace PortText {
// The port readers use unless told otherwise, for every link kind.
constexpr quint16 kDefaultPort = 4001;
QString defaultText();
QString normalized(const QString &text);
int value(const QString &text);
// The port a text names: its integer value when that is a port number (0..65535), else 4001.
quint16 port(const QString &text);
// A port box's text rewritten as the port it names.
QString portText(const QString &text);
} // namespace PortText
