#include "testserviceworker.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Refuses requests whose head alone passes this size.
constexpr int kMaxHeadBytes = 64 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// Splits "a; b=\"c;d\"; e" at the semicolons outside quotes.
QList<QByteArray> splitParameters(const QByteArray& value) {
    QList<QByteArray> pieces;
    QByteArray current;
    bool quoted = false;
    for (char c : value) {
        if (c == '"') {
            quoted = !quoted;
        }
        if (c == ';' && !quoted) {
            pieces.append(current.trimmed());
            current.clear();
        } else {
            current.append(c);
        }
    }
    pieces.append(current.trimmed());
    return pieces;
}

bool parameterValue(const QByteArray& header, const QByteArray& name, QByteArray* value) {
    for (const QByteArray& piece : splitParameters(header)) {
        const int equals = piece.indexOf('=');
        if (equals < 0 || piece.left(equals).trimmed().toLower() != name) {
            continue;
        }
        QByteArray raw = piece.mid(equals + 1).trimmed();
        if (raw.size() >= 2 && raw.startsWith('"') && raw.endsWith('"')) {
            raw = raw.mid(1, raw.size() - 2);
        }
        *value = raw;
        return true;
    }
    return false;
}

HeaderList parseHeaderLines(const QByteArray& block) {
    HeaderList headers;
    for (const QByteArray& line : block.split('\n')) {
        const QByteArray trimmed = line.endsWith('\r') ? line.chopped(1) : line;
        const int colon = trimmed.indexOf(':');
        if (colon > 0) {
            headers.append({trimmed.left(colon), trimmed.mid(colon + 1).trimmed()});
        }
    }
    return headers;
}

RecordedPart parsePart(const QByteArray& raw) {
    RecordedPart part;
    const int split = raw.indexOf("\r\n\r\n");
    if (raw.startsWith("\r\n")) {
        part.body = raw.mid(2);
    } else if (split >= 0) {
        part.headers = parseHeaderLines(raw.left(split));
        part.body = raw.mid(split + 4);
    } else {
        part.body = raw;
    }
    part.disposition = part.header("Content-Disposition");
    parameterValue(part.disposition, "name", &part.name);
    part.hasFileName = parameterValue(part.disposition, "filename", &part.fileName);
    return part;
}

// The next CRLF + delimiter that really ends a part: followed by "--", CRLF or blanks.
int nextDelimiter(const QByteArray& body, const QByteArray& delimiter, int from) {
    const QByteArray marker = "\r\n" + delimiter;
    for (int at = body.indexOf(marker, from); at >= 0; at = body.indexOf(marker, at + 1)) {
        const int after = at + marker.size();
        const QByteArray next = body.mid(after, 2);
        if (next == "--" || next == "\r\n" || next.startsWith(' ') || next.startsWith('\t')) {
            return at;
        }
    }
    return -1;
}

}  // namespace

QList<RecordedPart> parseMultipart(const QByteArray& contentType, const QByteArray& body) {
    QList<RecordedPart> parts;
    QByteArray boundary;
    if (!contentType.trimmed().toLower().startsWith("multipart/") ||
        !parameterValue(contentType, "boundary", &boundary) || boundary.isEmpty()) {
        return parts;
    }
    const QByteArray delimiter = "--" + boundary;
    int pos = body.indexOf(delimiter);
    while (pos >= 0) {
        pos += delimiter.size();
        if (body.mid(pos, 2) == "--") {
            break;  // closing delimiter
        }
        if (body.mid(pos, 2) == "\r\n") {
            pos += 2;
        }
        const int next = nextDelimiter(body, delimiter, pos);
        if (next < 0) {
            break;  // truncated body: the unterminated part is not recorded
        }
        parts.append(parsePart(body.mid(pos, next - pos)));
        pos = next + 2;
    }
    return parts;
}

TestServiceWorker::TestServiceWorker(std::shared_ptr<TestServiceState> state)
    : m_state(std::move(state)) {}

TestServiceWorker::~TestServiceWorker() = default;

bool TestServiceWorker::listen(quint16 port) {
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &TestServiceWorker::acceptConnections);
    if (!m_server->listen(QHostAddress::LocalHost, port)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->port = m_server->serverPort();
    return true;
}

void TestServiceWorker::acceptConnections() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_state->countConnection();
        new TestServiceConnection(socket, m_state, this);
    }
}

TestServiceConnection::TestServiceConnection(QTcpSocket* socket,
                                             std::shared_ptr<TestServiceState> state,
                                             QObject* parent)
    : QObject(parent), m_socket(socket), m_state(std::move(state)) {
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &TestServiceConnection::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    readAvailable();
}

void TestServiceConnection::readAvailable() {
    if (m_done) {
        m_socket->readAll();  // a second request on this connection is not served
        return;
    }
    m_buffer.append(m_socket->readAll());
    if (!m_headComplete && !parseHead()) {
        return;
    }
    if (m_chunked ? takeChunkedBody() : takeBody()) {
        finishRequest();
    }
}

bool TestServiceConnection::parseHead() {
    const int end = m_buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_buffer.size() > kMaxHeadBytes) {
            m_done = true;
            m_socket->abort();
        }
        return false;
    }
    const QByteArray head = m_buffer.left(end);
    m_buffer.remove(0, end + 4);
    const int lineEnd = head.indexOf("\r\n");
    const QList<QByteArray> requestLine = head.left(lineEnd < 0 ? head.size() : lineEnd).split(' ');
    m_request.method = requestLine.value(0);
    const QByteArray target = requestLine.value(1);
    const int query = target.indexOf('?');
    m_request.path = query < 0 ? target : target.left(query);
    m_request.query = query < 0 ? QByteArray() : target.mid(query + 1);
    m_request.version = requestLine.value(2);
    if (lineEnd >= 0) {
        m_request.headers = parseHeaderLines(head.mid(lineEnd + 2));
    }
    m_chunked = m_request.header("Transfer-Encoding").toLower().contains("chunked");
    m_contentLength = m_request.header("Content-Length").toLongLong();
    m_headComplete = true;
    return true;
}

bool TestServiceConnection::takeBody() {
    if (m_buffer.size() < m_contentLength) {
        return false;
    }
    m_request.body = m_buffer.left(static_cast<int>(m_contentLength));
    m_buffer.remove(0, static_cast<int>(m_contentLength));
    return true;
}

bool TestServiceConnection::takeChunkedBody() {
    QByteArray body;
    int pos = 0;
    for (;;) {
        const int lineEnd = m_buffer.indexOf("\r\n", pos);
        if (lineEnd < 0) {
            return false;
        }
        bool ok = false;
        const int size =
            m_buffer.mid(pos, lineEnd - pos).split(';').value(0).trimmed().toInt(&ok, 16);
        if (!ok || size < 0) {
            m_done = true;
            m_socket->abort();
            return false;
        }
        if (size == 0) {
            // Trailers are not expected; the chunk list ends with an empty line.
            if (m_buffer.indexOf("\r\n", lineEnd + 2) < 0) {
                return false;
            }
            m_request.body = body;
            m_buffer.clear();
            return true;
        }
        if (m_buffer.size() < lineEnd + 2 + size + 2) {
            return false;
        }
        body.append(m_buffer.mid(lineEnd + 2, size));
        pos = lineEnd + 2 + size + 2;
    }
}

void TestServiceConnection::finishRequest() {
    m_done = true;
    m_request.parts = parseMultipart(m_request.header("Content-Type"), m_request.body);
    m_state->record(m_request);
    const ScriptedReply reply = m_state->takeReply(m_request.path);
    if (reply.delayMs > 0) {
        QTimer::singleShot(reply.delayMs, this, [this, reply] { answer(reply); });
    } else {
        answer(reply);
    }
}

void TestServiceConnection::answer(const ScriptedReply& reply) {
    switch (reply.kind) {
        case ScriptedReply::NeverReply:
            return;
        case ScriptedReply::CloseConnection:
            m_socket->abort();
            deleteLater();
            return;
        case ScriptedReply::Respond:
        case ScriptedReply::StallAfterHeaders:
            break;
    }
    QByteArray head =
        "HTTP/1.1 " + QByteArray::number(reply.status) + " " + reasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.isEmpty()) {
        head += "Content-Type: " + reply.contentType + "\r\n";
    }
    for (const auto& header : reply.extraHeaders) {
        head += header.first + ": " + header.second + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    m_socket->write(head);
    if (reply.kind == ScriptedReply::StallAfterHeaders) {
        m_socket->write(reply.body.left(reply.stallAfterBytes));
        return;
    }
    m_socket->write(reply.body);
    m_socket->disconnectFromHost();
}
