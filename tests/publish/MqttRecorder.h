#pragma once

#include "publish/MqttClient.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <memory>

// A plain subscriber for tests: keeps every message it hears under `filter`, and the latest per topic.
struct MqttRecorder
{
    MqttRecorder(const QString &url, const QByteArray &filter, int qos = 0, const QString &caFile = {})
    {
        MqttClientOptions o;
        QString why;
        o.broker = *BrokerAddress::parse(url, &why);
        o.clientId = QStringLiteral("recorder-") + QString::number(quintptr(this), 16);
        o.subscriptions = {filter};
        o.subscribeQos = qos;
        o.caFile = caFile;
        o.reconnectFirstMs = 50;
        o.reconnectMaxMs = 400;
        o.maxPayload = 2 * 1024 * 1024;
        client = std::make_unique<MqttClient>(o);
        QObject::connect(client.get(), &MqttClient::messageReceived, client.get(),
                         [this](const QByteArray &t, const QByteArray &p) {
                             messages.append({t, p});
                             latest.insert(t, p);
                         });
        client->start();
    }
    QList<QByteArray> payloadsOn(const QByteArray &topic) const
    {
        QList<QByteArray> out;
        for (const auto &[t, p] : messages)
            if (t == topic)
                out.append(p);
        return out;
    }

    QList<QPair<QByteArray, QByteArray>> messages;
    QHash<QByteArray, QByteArray> latest;
    std::unique_ptr<MqttClient> client;
};
