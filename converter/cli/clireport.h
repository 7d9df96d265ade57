#pragma once

#include "clisources.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <mutex>

namespace pixvuecli {

// What became of one source.
struct SourceResult {
    enum class State { NotStarted, Converted, Failed };
    State state = State::NotStarted;
    QStringList outputs;
    QString reason;
};

// The run as the user sees it: a progress bar on a terminal, failures and a summary on standard
// error, JSON lines on standard output. Every method may be called from any thread.
class ConsoleReport {
public:
    struct Style {
        bool json = false;
        bool verbose = false;
        bool quiet = false;
        bool progressBar = false;
    };
    ConsoleReport(QVector<Source> sources, Style style);

    // Refused sources and folders without pictures, before the run.
    void reportRefused(const QStringList& emptyFolders);
    void reportEnd(int index, bool converted, const QStringList& outputs, const QString& reason);
    // The sources that did not end; those started (in hand) are reported as failed with
    // stoppedReason when it is set, and then no later end is reported.
    void reportRest(const QVector<bool>& started, const QString& stoppedReason);
    // "12 converted, 1 failed" and more; written unless quiet.
    QString summary() const;
    void writeSummary();
    void writeMessage(const QString& text);

    int converted() const;
    int failed() const;
    // The reason of the first failure, with its file's name; empty without failures.
    QString firstFailure() const;

private:
    int countOf(SourceResult::State state) const;
    void record(int index, SourceResult result);
    void writeJsonLine(int index) const;
    void drawProgress() const;
    void clearProgress() const;
    void writeError(const QString& line) const;

    const QVector<Source> m_sources;
    const Style m_style;
    mutable std::recursive_mutex m_lock;
    QVector<SourceResult> m_results;
    int m_ended = 0;
    int m_firstFailure = -1;
    bool m_closed = false;  // after a stop at once: later ends are not reported
};

}  // namespace pixvuecli
