// pixvue-test-service: the test web service as a program, for shell scripts and tests that
// start other programs. Prints its port on the first line of standard output.

#include "pixvuetestservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <unistd.h>
#include <csignal>

namespace {

int g_signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so that the service stops in order.
void quitOnSignals(QCoreApplication& app) {
    if (::pipe(g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, onTerminate);
    std::signal(SIGINT, onTerminate);
}

bool applyReplies(PixvueTestService& service, const QStringList& scripts, QTextStream& err) {
    // The replies given for one path are answered in order; the last one then repeats.
    QHash<QString, QList<ScriptedReply>> byPath;
    QStringList order;
    for (const QString& entry : scripts) {
        const int equals = entry.indexOf('=');
        ScriptedReply reply;
        QString error;
        if (equals <= 0 || !entry.startsWith('/') ||
            !ScriptedReply::fromText(entry.mid(equals + 1), &reply, &error)) {
            err << "pixvue-test-service: bad --reply " << entry << ' ' << error << '\n';
            return false;
        }
        const QString path = entry.left(equals);
        if (!byPath.contains(path)) {
            order.append(path);
        }
        byPath[path].append(reply);
    }
    for (const QString& path : order) {
        QList<ScriptedReply> replies = byPath.value(path);
        service.setReply(path, replies.takeLast());
        for (const ScriptedReply& reply : replies) {
            service.queueReply(path, reply);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription("HTTP/1.1 test web service on 127.0.0.1");
    parser.addHelpOption();
    const QCommandLineOption portOption("port", "Port to listen on (0: ephemeral).", "port", "0");
    const QCommandLineOption recordOption("record", "Append each request as a JSON line.", "file");
    const QCommandLineOption portFileOption("port-file", "Also write the port to this file.",
                                            "file");
    const QCommandLineOption replyOption("reply", "Reply for a path: /path=SCRIPT (repeatable).",
                                         "reply");
    const QCommandLineOption defaultOption("default", "Reply for paths without one: SCRIPT.",
                                           "script");
    parser.addOptions({portOption, recordOption, portFileOption, replyOption, defaultOption});
    parser.process(app);

    PixvueTestService service;
    if (parser.isSet(recordOption)) {
        service.setRecordFile(parser.value(recordOption));
    }
    if (!applyReplies(service, parser.values(replyOption), err)) {
        return 2;
    }
    if (parser.isSet(defaultOption)) {
        ScriptedReply reply;
        QString error;
        if (!ScriptedReply::fromText(parser.value(defaultOption), &reply, &error)) {
            err << "pixvue-test-service: " << error << '\n';
            return 2;
        }
        service.setDefaultReply(reply);
    }
    if (!service.start(static_cast<quint16>(parser.value(portOption).toUInt()))) {
        err << "pixvue-test-service: cannot listen on 127.0.0.1:" << parser.value(portOption)
            << '\n';
        return 1;
    }
    if (parser.isSet(portFileOption)) {
        QFile file(parser.value(portFileOption));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(QByteArray::number(service.port()) + "\n");
        }
    }
    quitOnSignals(app);
    out << service.port() << Qt::endl;
    const int code = app.exec();
    service.stop();
    return code;
}
