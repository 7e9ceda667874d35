#pragma once

#include "http/WebViewSettings.h"

#include <QString>
#include <optional>

class QCommandLineParser;

// The web view options of `talvo-cli read`: --http [ADDR:]PORT serves the page, the JSON API and the
// live stream while the session runs; --http-token-file, --http-insecure and --http-cors say who may
// use it. An address other than loopback needs a token file or an explicit --http-insecure.
struct HttpOptions
{
    std::optional<WebViewSettings> settings; // set with --http

    static void addTo(QCommandLineParser &parser);
    // False and a message for the user when the options cannot work.
    bool parse(const QCommandLineParser &parser, QString *error);

    // "[ADDR:]PORT" ("8080", "127.0.0.1:8080", "[::1]:8080", "localhost:8080"); false when it does not
    // read as one.
    static bool parseEndpoint(const QString &text, QHostAddress *address, quint16 *port);
};
