#include "logreader.h"

#include <QFile>

#include <cstring>

namespace {

constexpr qint64 kBlockSize = 1 << 20;

bool isEmptyLine(const char* begin, const char* end) {
    // `end` points at the '\n'; a lone "\r" before it is an empty line as well.
    return begin == end || (end - begin == 1 && *begin == '\r');
}

class ChunkBuilder {
public:
    ChunkBuilder(qint64 skip, int budget, LogChunk* chunk)
        : m_skip(skip), m_budget(budget), m_chunk(chunk) {}

    bool full() const { return m_budget <= 0; }

    // Consumes complete lines of `data`; returns the bytes used (up to the last line end).
    qint64 feed(const char* data, qint64 size) {
        const char* cursor = data;
        const char* end = data + size;
        while (!full()) {
            const char* lineEnd = static_cast<const char*>(
                std::memchr(cursor, '\n', static_cast<size_t>(end - cursor)));
            if (lineEnd == nullptr) {
                break;
            }
            takeLine(cursor, lineEnd);
            cursor = lineEnd + 1;
        }
        return cursor - data;
    }

private:
    void takeLine(const char* begin, const char* lineEnd) {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        ++m_chunk->consumed;
        if (!isEmptyLine(begin, lineEnd)) {
            m_chunk->text.append(begin, static_cast<int>(lineEnd + 1 - begin));
            ++m_chunk->taken;
            --m_budget;
        }
    }

    qint64 m_skip;
    int m_budget;
    LogChunk* m_chunk;
};

bool hasCompleteLine(const QByteArray& rest, QFile& file) {
    if (rest.contains('\n')) {
        return true;
    }
    return file.peek(kBlockSize).contains('\n');
}

}  // namespace

bool readLogChunk(const QString& path, qint64 skip, int budget, LogChunk* chunk) {
    *chunk = LogChunk();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    ChunkBuilder builder(skip, budget, chunk);
    QByteArray pending;  // the start of a line that continues in the next block
    while (!builder.full()) {
        const QByteArray block = file.read(kBlockSize);
        if (block.isEmpty()) {
            break;
        }
        pending.append(block);
        const qint64 used = builder.feed(pending.constData(), pending.size());
        pending.remove(0, static_cast<int>(used));
    }
    chunk->reachedEnd = !hasCompleteLine(pending, file);
    return true;
}
