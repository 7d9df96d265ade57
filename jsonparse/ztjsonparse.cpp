#include "ztjsonparse.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// The member under key, or an undefined value (with its diagnostic) when it is missing.
QJsonValue memberOrDiagnose(const QJsonObject& object, const QString& key) {
    const auto it = object.constFind(key);
    if (it == object.constEnd()) {
        qCritical().noquote() << "json is not contains the key [" << key << " ]";
        return QJsonValue(QJsonValue::Undefined);
    }
    return it.value();
}

}  // namespace

void ZtJsonParse::jsonAddValue(const QString& key, const QString& value) {
    m_jsonObject.insert(key, value);
}

void ZtJsonParse::jsonAddValue(const QString& key, const QJsonArray& value) {
    m_jsonObject.insert(key, value);
}

void ZtJsonParse::jsonAddValue(const QString& key, const QJsonObject& value) {
    m_jsonObject.insert(key, value);
}

QByteArray ZtJsonParse::getValue() const {
    return QJsonDocument(m_jsonObject).toJson(QJsonDocument::Compact);
}

QJsonObject ZtJsonParse::getJsonObject() const {
    return m_jsonObject;
}

QJsonObject ZtJsonParse::getJsonObject(const QByteArray& data) const {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (document.isNull() || error.error != QJsonParseError::NoError) {
        qCritical() << "Json Parse error,the result is [ " << static_cast<int>(error.error) << " ]";
        return QJsonObject();
    }
    if (!document.isObject()) {
        qCritical() << "param is not a json object";
        return QJsonObject();
    }
    return document.object();
}

void ZtJsonParse::JsonParse(QJsonObject object, const QString& key, QJsonValue& out) const {
    const QJsonValue value = memberOrDiagnose(object, key);
    if (value.isUndefined()) {
        return;
    }
    if (value.isNull()) {
        qCritical() << " the key  is null";
        return;
    }
    out = value;
}

void ZtJsonParse::JsonParse(QJsonObject object, const QString& key, ZtJsonParse& out) const {
    const QJsonValue value = memberOrDiagnose(object, key);
    if (value.isUndefined()) {
        return;
    }
    if (!value.isObject()) {
        qCritical() << " the key value is not a json object";
        return;
    }
    out.m_jsonObject = value.toObject();
}

void ZtJsonParse::JsonArrayParse(QJsonObject object, const QString& key, QJsonArray& out) const {
    const QJsonValue value = memberOrDiagnose(object, key);
    if (value.isUndefined()) {
        return;
    }
    if (!value.isArray()) {
        qCritical() << " the key value is not a json array";
        return;
    }
    out = value.toArray();
}

void ZtJsonParse::JsonArrayParse(QJsonObject object, const QString& key, qint32 index,
                                 QJsonValue& out) const {
    const QJsonValue value = memberOrDiagnose(object, key);
    if (value.isUndefined()) {
        return;
    }
    if (!value.isArray()) {
        qCritical() << " the key value is not a json array";
        return;
    }
    const QJsonArray array = value.toArray();
    if (index < array.size()) {
        out = array.at(index);
        return;
    }
    qCritical() << " the npos is out of range ,npos = [" << index << " ] Max size is [ "
                << array.size() << " ]";
}
