#pragma once

#include "ztjsonparse_global.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Holds one JSON object used as a request body, and reads reply documents with checks.
// The readers never fail loudly: on a missing or mistyped member they leave the out
// argument as given and write a critical-level diagnostic through Qt's message handler.
class ZTJSONPARSE_EXPORT ZtJsonParse {
public:
    ZtJsonParse() = default;

    void jsonAddValue(const QString& key, const QString& value);
    void jsonAddValue(const QString& key, const QJsonArray& value);
    void jsonAddValue(const QString& key, const QJsonObject& value);

    // The held object as compact UTF-8 JSON.
    QByteArray getValue() const;
    QJsonObject getJsonObject() const;

    // The top-level object of data, or an empty object when data is no JSON object.
    QJsonObject getJsonObject(const QByteArray& data) const;

    void JsonParse(QJsonObject object, const QString& key, QJsonValue& out) const;
    void JsonParse(QJsonObject object, const QString& key, ZtJsonParse& out) const;
    void JsonArrayParse(QJsonObject object, const QString& key, QJsonArray& out) const;
    void JsonArrayParse(QJsonObject object, const QString& key, qint32 index,
                        QJsonValue& out) const;

private:
    QJsonObject m_jsonObject;
};
