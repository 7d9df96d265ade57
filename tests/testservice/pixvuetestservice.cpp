#include "pixvuetestservice.h"

#include "testserviceworker.h"

#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QJsonDocument>

#include <chrono>
#include <future>

namespace {

QByteArray findHeader(const HeaderList& headers, const QByteArray& name) {
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            return header.second;
        }
    }
    return QByteArray();
}

QJsonArray headersToJson(const HeaderList& headers) {
    QJsonArray array;
    for (const auto& header : headers) {
        array.append(
            QJsonArray{QString::fromLatin1(header.first), QString::fromLatin1(header.second)});
    }
    return array;
}

void putBody(QJsonObject& object, const QByteArray& body) {
    object.insert("body", QString::fromUtf8(body));
    object.insert("bodyBase64", QString::fromLatin1(body.toBase64()));
    object.insert("bodySize", body.size());
}

QString normalisedPath(const QString& path) {
    const int query = path.indexOf('?');
    return query < 0 ? path : path.left(query);
}

}  // namespace

QByteArray RecordedPart::header(const QByteArray& name) const {
    return findHeader(headers, name);
}

bool RecordedRequest::hasHeader(const QByteArray& name) const {
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

QByteArray RecordedRequest::header(const QByteArray& name) const {
    return findHeader(headers, name);
}

QJsonObject RecordedRequest::json() const {
    return QJsonDocument::fromJson(body).object();
}

QJsonObject RecordedRequest::toJson() const {
    QJsonObject object;
    object.insert("method", QString::fromLatin1(method));
    object.insert("path", QString::fromUtf8(path));
    object.insert("query", QString::fromUtf8(query));
    object.insert("headers", headersToJson(headers));
    putBody(object, body);
    QJsonArray partArray;
    for (const RecordedPart& part : parts) {
        QJsonObject partObject;
        partObject.insert("headers", headersToJson(part.headers));
        partObject.insert("disposition", QString::fromUtf8(part.disposition));
        partObject.insert("name", QString::fromUtf8(part.name));
        if (part.hasFileName) {
            partObject.insert("filename", QString::fromUtf8(part.fileName));
        }
        putBody(partObject, part.body);
        partArray.append(partObject);
    }
    object.insert("parts", partArray);
    return object;
}

ScriptedReply ScriptedReply::json(const QJsonObject& object) {
    return raw(QJsonDocument(object).toJson(QJsonDocument::Compact), "application/json");
}

ScriptedReply ScriptedReply::array(const QJsonArray& array) {
    return raw(QJsonDocument(array).toJson(QJsonDocument::Compact), "application/json");
}

ScriptedReply ScriptedReply::envelope(int state, const QString& msg, const QJsonObject& data) {
    QJsonObject object{{"state", state}, {"msg", msg}};
    if (!data.isEmpty()) {
        object.insert("data", data);
    }
    return json(object);
}

ScriptedReply ScriptedReply::raw(const QByteArray& body, const QByteArray& contentType) {
    ScriptedReply reply;
    reply.body = body;
    reply.contentType = contentType;
    return reply;
}

ScriptedReply ScriptedReply::empty() {
    return raw(QByteArray(), "application/json");
}

ScriptedReply ScriptedReply::httpError(int status, const QByteArray& body) {
    ScriptedReply reply = raw(body, "text/plain");
    reply.status = status;
    return reply;
}

ScriptedReply ScriptedReply::closeConnection() {
    ScriptedReply reply;
    reply.kind = CloseConnection;
    return reply;
}

ScriptedReply ScriptedReply::neverReply() {
    ScriptedReply reply;
    reply.kind = NeverReply;
    return reply;
}

ScriptedReply ScriptedReply::stallAfterHeaders(const QByteArray& body, int sentBytes) {
    ScriptedReply reply = raw(body, "application/json");
    reply.kind = StallAfterHeaders;
    reply.stallAfterBytes = qBound(0, sentBytes, body.size());
    return reply;
}

ScriptedReply ScriptedReply::redirect(int status, const QByteArray& location) {
    ScriptedReply reply = raw(QByteArray(), "text/plain");
    reply.status = status;
    reply.extraHeaders.append({"Location", location});
    return reply;
}

ScriptedReply ScriptedReply::large(int bytes) {
    const QByteArray head = "{\"state\":0,\"msg\":\"";
    const QByteArray tail = "\"}";
    const int filler = qMax(0, bytes - head.size() - tail.size());
    return raw(head + QByteArray(filler, 'x') + tail, "application/json");
}

bool ScriptedReply::fromText(const QString& script, ScriptedReply* reply, QString* error) {
    const QString kind = script.section(':', 0, 0);
    const QString rest = script.section(':', 1);
    bool ok = true;
    if (kind == "envelope") {
        const int state = rest.section(':', 0, 0).toInt(&ok);
        *reply = envelope(state, rest.section(':', 1));
    } else if (kind == "json") {
        *reply = raw(rest.toUtf8(), "application/json");
    } else if (kind == "text") {
        *reply = raw(rest.toUtf8(), "text/plain");
    } else if (kind == "file") {
        QFile file(rest);
        ok = file.open(QIODevice::ReadOnly);
        *reply = raw(file.readAll(), "application/json");
    } else if (kind == "empty") {
        *reply = empty();
    } else if (kind == "status") {
        const int status = rest.section(':', 0, 0).toInt(&ok);
        *reply = httpError(status, rest.section(':', 1).toUtf8());
        ok = ok && status >= 100 && status <= 599;
    } else if (kind == "close") {
        *reply = closeConnection();
    } else if (kind == "never") {
        *reply = neverReply();
    } else if (kind == "large") {
        const int bytes = rest.toInt(&ok);
        *reply = large(bytes);
        ok = ok && bytes >= 0;
    } else if (kind == "stall") {
        const int bytes = rest.toInt(&ok);
        *reply = stallAfterHeaders(large(qMax(bytes * 2, 64)).body, bytes);
        ok = ok && bytes >= 0;
    } else {
        ok = false;
    }
    if (!ok && error != nullptr) {
        *error = QStringLiteral("bad reply script: ") + script;
    }
    return ok;
}

PixvueTestService::PixvueTestService() : m_shared(std::make_shared<TestServiceState>()) {}

PixvueTestService::~PixvueTestService() {
    stop();
}

namespace {

// The network thread: listens, reports whether it could, and serves until told to stop.
void serve(const std::shared_ptr<TestServiceState>& state, quint16 port,
           std::promise<bool>& started) {
    QEventLoop loop;
    TestServiceWorker worker(state);
    const bool listening = worker.listen(port);
    if (listening) {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->loop = &loop;
    }
    started.set_value(listening);
    if (!listening) {
        return;
    }
    loop.exec();
    std::lock_guard<std::mutex> lock(state->mutex);
    state->loop = nullptr;
    state->port = 0;
}

}  // namespace

bool PixvueTestService::start(quint16 port) {
    stop();
    std::promise<bool> started;
    std::future<bool> listening = started.get_future();
    m_thread = std::make_unique<std::thread>(
        [state = m_shared, port, &started] { serve(state, port, started); });
    if (listening.get()) {
        return true;
    }
    m_thread->join();
    m_thread.reset();
    return false;
}

void PixvueTestService::stop() {
    if (!m_thread) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->loop != nullptr) {
            QMetaObject::invokeMethod(m_shared->loop, "quit", Qt::QueuedConnection);
        }
    }
    m_thread->join();
    m_thread.reset();
}

quint16 PixvueTestService::port() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->port;
}

QString PixvueTestService::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QString PixvueTestService::url(const QString& path) const {
    return baseUrl() + path;
}

void PixvueTestService::setReply(const QString& path, const ScriptedReply& reply) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->persistent.insert(normalisedPath(path), reply);
}

void PixvueTestService::queueReply(const QString& path, const ScriptedReply& reply) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->queued[normalisedPath(path)].append(reply);
}

void PixvueTestService::setDefaultReply(const ScriptedReply& reply) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->defaultReply = reply;
}

void PixvueTestService::clearReplies() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->queued.clear();
    m_shared->persistent.clear();
    m_shared->defaultReply = TestServiceState::notFoundReply();
}

void PixvueTestService::setRecordFile(const QString& path) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->recordFile = path;
}

QList<RecordedRequest> PixvueTestService::requests() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->requests;
}

QList<RecordedRequest> PixvueTestService::requests(const QString& path) const {
    QList<RecordedRequest> matching;
    const QByteArray wanted = normalisedPath(path).toUtf8();
    for (const RecordedRequest& request : requests()) {
        if (request.path == wanted) {
            matching.append(request);
        }
    }
    return matching;
}

int PixvueTestService::requestCount() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->requests.size();
}

RecordedRequest PixvueTestService::lastRequest() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->requests.isEmpty() ? RecordedRequest() : m_shared->requests.last();
}

void PixvueTestService::clearRequests() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->requests.clear();
    m_shared->connections = 0;
}

bool PixvueTestService::waitForRequests(int count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->recorded.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, count] {
        return m_shared->requests.size() >= count;
    });
}

int PixvueTestService::connectionCount() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->connections;
}

// --- TestServiceState -------------------------------------------------------------------

ScriptedReply TestServiceState::notFoundReply() {
    ScriptedReply reply = ScriptedReply::envelope(-1, QStringLiteral("no reply scripted"));
    reply.status = 404;
    return reply;
}

ScriptedReply TestServiceState::takeReply(const QByteArray& path) {
    std::lock_guard<std::mutex> lock(mutex);
    const QString key = QString::fromUtf8(path);
    auto queuedIt = queued.find(key);
    if (queuedIt != queued.end() && !queuedIt->isEmpty()) {
        return queuedIt->takeFirst();
    }
    return persistent.value(key, defaultReply);
}

void TestServiceState::record(const RecordedRequest& request) {
    std::lock_guard<std::mutex> lock(mutex);
    requests.append(request);
    if (!recordFile.isEmpty()) {
        QFile file(recordFile);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write(QJsonDocument(request.toJson()).toJson(QJsonDocument::Compact) + "\n");
        }
    }
    recorded.notify_all();
}

void TestServiceState::countConnection() {
    std::lock_guard<std::mutex> lock(mutex);
    ++connections;
}
