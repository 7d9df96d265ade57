#include "clireport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace pixvuecli {

namespace {

const char kProgram[] = "pixvue-convert";
constexpr int kBarWidth = 30;

const char* resultName(SourceResult::State state) {
    switch (state) {
        case SourceResult::State::Converted:
            return "converted";
        case SourceResult::State::Failed:
            return "failed";
        case SourceResult::State::NotStarted:
            break;
    }
    return "not started";
}

void writeText(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

ConsoleReport::ConsoleReport(QVector<Source> sources, Style style)
    : m_sources(std::move(sources)), m_style(style), m_results(m_sources.size()) {}

void ConsoleReport::reportRefused(const QStringList& emptyFolders) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (const QString& folder : emptyFolders) {
        writeError(QStringLiteral("%1: no picture found").arg(folder));
    }
    for (int i = 0; i < m_sources.size(); ++i) {
        if (!m_sources.at(i).reason.isEmpty()) {
            reportEnd(i, false, {}, m_sources.at(i).reason);
        }
    }
    drawProgress();
}

void ConsoleReport::reportEnd(int index, bool converted, const QStringList& outputs,
                              const QString& reason) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_closed) {
        return;
    }
    SourceResult result;
    result.state = converted ? SourceResult::State::Converted : SourceResult::State::Failed;
    result.outputs = outputs;
    result.reason = converted ? QString() : reason;
    record(index, result);
    const QString& path = m_sources.at(index).path;
    if (!converted) {
        writeError(QStringLiteral("%1: %2").arg(path, reason));
    } else if (m_style.verbose) {
        writeError(QStringLiteral("%1 -> %2").arg(path, outputs.join(QStringLiteral(", "))));
    }
    drawProgress();
}

void ConsoleReport::reportRest(const QVector<bool>& started, const QString& stoppedReason) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (int i = 0; i < m_results.size(); ++i) {
        if (m_results.at(i).state != SourceResult::State::NotStarted) {
            continue;
        }
        if (started.value(i) && !stoppedReason.isEmpty()) {
            reportEnd(i, false, {}, stoppedReason);
        } else {
            writeJsonLine(i);
        }
    }
    m_closed = !stoppedReason.isEmpty();
}

void ConsoleReport::record(int index, SourceResult result) {
    if (result.state == SourceResult::State::Failed && m_firstFailure < 0) {
        m_firstFailure = index;
    }
    m_results[index] = std::move(result);
    ++m_ended;
    writeJsonLine(index);
}

void ConsoleReport::writeJsonLine(int index) const {
    if (!m_style.json) {
        return;
    }
    clearProgress();  // standard output and error may be the same terminal
    const SourceResult& result = m_results.at(index);
    QJsonObject line{{"path", m_sources.at(index).path},
                     {"outputs", QJsonArray::fromStringList(result.outputs)},
                     {"result", resultName(result.state)}};
    if (result.state == SourceResult::State::Failed) {
        line.insert("reason", result.reason);
    }
    std::fputs(QJsonDocument(line).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
    std::fflush(stdout);
}

void ConsoleReport::drawProgress() const {
    if (!m_style.progressBar || m_sources.isEmpty()) {
        return;
    }
    const int filled = kBarWidth * m_ended / m_sources.size();
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, '.');
    writeText(stderr,
              QStringLiteral("\r\033[K[%1] %2/%3").arg(bar).arg(m_ended).arg(m_sources.size()));
}

void ConsoleReport::clearProgress() const {
    if (m_style.progressBar) {
        writeText(stderr, QStringLiteral("\r\033[K"));
    }
}

void ConsoleReport::writeError(const QString& line) const {
    clearProgress();
    writeText(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kProgram), line));
}

void ConsoleReport::writeMessage(const QString& text) {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    writeError(text);
    drawProgress();
}

int ConsoleReport::converted() const {
    return countOf(SourceResult::State::Converted);
}

int ConsoleReport::failed() const {
    return countOf(SourceResult::State::Failed);
}

int ConsoleReport::countOf(SourceResult::State state) const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return int(
        std::count_if(m_results.cbegin(), m_results.cend(),
                      [state](const SourceResult& result) { return result.state == state; }));
}

QString ConsoleReport::firstFailure() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_firstFailure < 0) {
        return QString();
    }
    return QStringLiteral("%1: %2").arg(QFileInfo(m_sources.at(m_firstFailure).path).fileName(),
                                        m_results.at(m_firstFailure).reason);
}

QString ConsoleReport::summary() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_sources.isEmpty()) {
        return QStringLiteral("no picture found");
    }
    QString text = QStringLiteral("%1 converted, %2 failed").arg(converted()).arg(failed());
    const int notStarted = countOf(SourceResult::State::NotStarted);
    if (notStarted > 0) {
        text += QStringLiteral(", %1 not started").arg(notStarted);
    }
    return text;
}

void ConsoleReport::writeSummary() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    clearProgress();
    if (!m_style.quiet) {
        writeText(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kProgram), summary()));
    }
}

}  // namespace pixvuecli
