#pragma once

#include <QString>
#include <optional>

// Where a broker is: mqtt://host[:port] (1883 by default) or mqtts://host[:port] (TLS, 8883).
struct BrokerAddress
{
    QString host;
    int port = 1883;
    bool tls = false;

    // Nullopt and a reason when the text is not such a URL.
    static std::optional<BrokerAddress> parse(const QString &url, QString *why);
};

// How reports go to (or come from) an MQTT broker. The password itself is given here; programs read
// it from a file (readPasswordFile) so that it never shows on a command line.
struct PublishSettings
{
    QString url;
    QString prefix; // empty: "talvo/SITE"
    QString site;   // empty: this machine's host name
    int qos = 0;    // 0 or 1
    QString user;
    QString password;
    QString caFile;            // empty with mqtts://: the system's certificate authorities
    QString clientId;          // empty: made up once per publisher or subscriber
    int queueCapacity = 10000; // reports held while the broker is slow or gone

    // Times, in one place so that tests can shorten them.
    int reconnectFirstMs = 1000; // the first pause before connecting again, doubled each time
    int reconnectMaxMs = 30000;
    int connectTimeoutMs = 10000; // a broker that does not answer a connection in this time is given up
    int keepAliveSec = 30;
    int flushTimeoutMs = 3000; // how long closing waits for queued reports to go out

    QString effectiveSite() const;
    // The publisher's prefix: the given one, else "talvo/SITE".
    QString effectivePrefix() const;
    // The subscriber's prefix: the given one, else "talvo/SITE" for a given site, else every site.
    QString subscriberPrefix() const;

    // The first line of a password file, without its line end; nullopt and a reason when the file
    // cannot be read.
    static std::optional<QString> readPasswordFile(const QString &path, QString *why);
};
