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
    // A source's conversion started: it is in hand until its end is reported.
    void reportStart(int index);
    void reportEnd(int index, bool converted, const QStringList& outputs, const QString& reason);
    // The sources that did not end, as not started.
    void reportRest();
    // A stop at once, before the process ends: the sources in hand fail with reason, the others
    // did not start. The calling thread keeps the report's lock from here on, so no later end is
    // reported. Returns the sources that were in hand.
    QVector<int> reportStopped(const QString& reason);
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
    QVector<bool> m_inHand;
    int m_ended = 0;
    int m_firstFailure = -1;
};

}  // namespace pixvuecli
