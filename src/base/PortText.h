#pragma once

#include <QString>

#include <optional>

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
// A port typed on a command line, where a typo must not quietly become 4001: a whole number from
// `lowest` (0: the system picks one) to 65535, or nothing.
std::optional<quint16> parse(const QString &text, int lowest);
} // namespace PortText
