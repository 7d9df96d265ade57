#include "consolerequests.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <unistd.h>
#include <cstdio>
#include <cstring>

namespace pixvue {

namespace {

const char kUsage[] =
    "Usage: pixvue [FILE|FOLDER]...\n"
    "Converts HEIC and HEIF photos into JPG, PNG or BMP files.\n"
    "The files and folders named are added to the list of the window (of the running one,\n"
    "when Pixvue already runs).\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n";

const char kNoDisplay[] =
    "pixvue: cannot open a display (DISPLAY or WAYLAND_DISPLAY is not set or not reachable)\n";

// A message held while the application object is made.
struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

QtMessageHandler g_previousHandler = nullptr;
QList<HeldMessage>* g_heldMessages = nullptr;

void holdOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // Only write(2) and _exit(2): Qt aborts right after this handler returns.
        const ssize_t written = ::write(STDERR_FILENO, kNoDisplay, std::strlen(kNoDisplay));
        static_cast<void>(written);
        ::_exit(1);
    }
    g_heldMessages->append(
        {type, context.file, context.line, context.function, context.category, text});
}

}  // namespace

int answerConsoleRequest(int argc, char** argv) {
    if (argc != 2) {
        return -1;
    }
    const QByteArray argument(argv[1]);
    if (argument == "--help" || argument == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argument == "--version") {
        std::printf("pixvue %s\n", PIXVUE_VERSION);
        return 0;
    }
    return -1;
}

void beginDisplayCheck() {
    g_heldMessages = new QList<HeldMessage>();
    g_previousHandler = qInstallMessageHandler(holdOrEnd);
}

void endDisplayCheck() {
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& held : *g_heldMessages) {
        const QMessageLogContext context(held.file.constData(), held.line,
                                         held.function.constData(), held.category.constData());
        qt_message_output(held.type, context, held.text);
    }
    delete g_heldMessages;
    g_heldMessages = nullptr;
}

}  // namespace pixvue
