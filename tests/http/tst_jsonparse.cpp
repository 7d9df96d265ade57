#include "ztjsonparse.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QtTest>

class TestJsonParse : public QObject {
    Q_OBJECT

private slots:
    void buildsCompactBodies();
    void getJsonObjectDiagnostics_data();
    void getJsonObjectDiagnostics();
    void jsonParseValue();
    void jsonParseObject();
    void jsonArrayParse();
    void jsonArrayParseByIndex();
    void copiesHoldTheirOwnObject();
};

void TestJsonParse::buildsCompactBodies() {
    ZtJsonParse json;
    QCOMPARE(json.getValue(), QByteArray("{}"));
    json.jsonAddValue("version", "1.0");
    json.jsonAddValue("version", "2.0");
    json.jsonAddValue("notes", QJsonArray{"a", 1});
    json.jsonAddValue("info", QJsonObject{{"k", "ü \"q\""}});
    QCOMPARE(json.getValue(),
             QString(R"({"info":{"k":"ü \"q\""},"notes":["a",1],"version":"2.0"})").toUtf8());
    QCOMPARE(json.getJsonObject().value("version").toString(), QString("2.0"));
}

namespace {

QString parseError(QJsonParseError::ParseError code) {
    return QStringLiteral("Json Parse error,the result is [  %1  ]").arg(int(code));
}

}  // namespace

void TestJsonParse::getJsonObjectDiagnostics_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("diagnostic");
    QTest::addColumn<int>("members");
    QTest::newRow("object") << QByteArray(R"( {"state":0} )") << QString() << 1;
    QTest::newRow("empty") << QByteArray() << parseError(QJsonParseError::IllegalValue) << 0;
    QTest::newRow("array") << QByteArray("[1,2]") << "param is not a json object" << 0;
    QTest::newRow("text") << QByteArray("hello") << parseError(QJsonParseError::IllegalValue) << 0;
    QTest::newRow("truncated") << QByteArray(R"({"state":)")
                               << parseError(QJsonParseError::UnterminatedObject) << 0;
    QTest::newRow("invalid utf-8")
        << QByteArray("{\"a\":\"\xff\"}") << parseError(QJsonParseError::IllegalUTF8String) << 0;
    QTest::newRow("deep nesting") << QByteArray(5000, '[')
                                  << parseError(QJsonParseError::DeepNesting) << 0;
}

void TestJsonParse::getJsonObjectDiagnostics() {
    QFETCH(QByteArray, data);
    QFETCH(QString, diagnostic);
    QFETCH(int, members);
    if (!diagnostic.isEmpty()) {
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(diagnostic));
    }
    QCOMPARE(ZtJsonParse().getJsonObject(data).size(), members);
}

void TestJsonParse::jsonParseValue() {
    const QJsonObject object{{"off", false}, {"zero", 0}, {"none", QJsonValue()}, {"s", "x"}};
    ZtJsonParse json;
    QJsonValue out(QJsonValue::Null);
    json.JsonParse(object, "off", out);
    QCOMPARE(out, QJsonValue(false));
    json.JsonParse(object, "zero", out);
    QCOMPARE(out, QJsonValue(0));

    out = QJsonValue("preset");
    QTest::ignoreMessage(QtCriticalMsg, " the key  is null");
    json.JsonParse(object, "none", out);
    QCOMPARE(out, QJsonValue("preset"));
    QTest::ignoreMessage(QtCriticalMsg, "json is not contains the key [ missing  ]");
    json.JsonParse(object, "missing", out);
    QCOMPARE(out, QJsonValue("preset"));
}

void TestJsonParse::jsonParseObject() {
    const QJsonObject object{{"data", QJsonObject{{"v", "2"}}}, {"text", "x"}};
    ZtJsonParse json;
    json.jsonAddValue("own", "kept");
    ZtJsonParse out;
    out.jsonAddValue("preset", "1");
    QTest::ignoreMessage(QtCriticalMsg, " the key value is not a json object");
    json.JsonParse(object, "text", out);
    QCOMPARE(out.getValue(), QByteArray(R"({"preset":"1"})"));
    json.JsonParse(object, "data", out);
    QCOMPARE(out.getValue(), QByteArray(R"({"v":"2"})"));
    QCOMPARE(json.getValue(), QByteArray(R"({"own":"kept"})"));
}

void TestJsonParse::jsonArrayParse() {
    const QJsonObject object{{"list", QJsonArray{1, "two"}}, {"text", "x"}};
    QJsonArray out{"preset"};
    QTest::ignoreMessage(QtCriticalMsg, " the key value is not a json array");
    ZtJsonParse().JsonArrayParse(object, "text", out);
    QCOMPARE(out, QJsonArray{"preset"});
    QTest::ignoreMessage(QtCriticalMsg, "json is not contains the key [ nothing  ]");
    ZtJsonParse().JsonArrayParse(object, "nothing", out);
    QCOMPARE(out, QJsonArray{"preset"});
    ZtJsonParse().JsonArrayParse(object, "list", out);
    QCOMPARE(out, (QJsonArray{1, "two"}));
}

void TestJsonParse::jsonArrayParseByIndex() {
    const QJsonObject object{{"list", QJsonArray{1, "two"}}, {"text", "x"}};
    ZtJsonParse json;
    QJsonValue out(QJsonValue::Null);
    json.JsonArrayParse(object, "list", 1, out);
    QCOMPARE(out, QJsonValue("two"));

    QTest::ignoreMessage(QtCriticalMsg,
                         " the npos is out of range ,npos = [ 2  ] Max size is [  2  ]");
    json.JsonArrayParse(object, "list", 2, out);
    QCOMPARE(out, QJsonValue("two"));
    QTest::ignoreMessage(QtCriticalMsg, " the key value is not a json array");
    json.JsonArrayParse(object, "text", 0, out);
    QTest::ignoreMessage(QtCriticalMsg, "json is not contains the key [ none  ]");
    json.JsonArrayParse(object, "none", 0, out);
    QCOMPARE(out, QJsonValue("two"));

    json.JsonArrayParse(object, "list", -1, out);
    QVERIFY(out.isUndefined());
}

void TestJsonParse::copiesHoldTheirOwnObject() {
    ZtJsonParse original;
    original.jsonAddValue("a", "1");
    ZtJsonParse copy(original);
    copy.jsonAddValue("b", "2");
    ZtJsonParse moved(std::move(copy));
    QCOMPARE(original.getValue(), QByteArray(R"({"a":"1"})"));
    QCOMPARE(moved.getValue(), QByteArray(R"({"a":"1","b":"2"})"));
}

QTEST_GUILESS_MAIN(TestJsonParse)
#include "tst_jsonparse.moc"
