// The main window: dragging by the title area, drops, the menu popup and its items, closing.
#define QTEST_QPA_MOUSE_HANDLING
#include "app/pixvuestartup.h"
#include "app/qonlineservices.h"
#include "core/qthreadkeeper.h"
#include "dialogs/qaboutdialog.h"
#include "dialogs/qexitdialog.h"
#include "dialogs/qlanguagedialog.h"
#include "dialogs/qprivacydialog.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "guitestsupport.h"
#include "mainwindow/qmenudialog.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qhomepage.h"
#include "pages/qoperatepage.h"
#include "qcheckboxex.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qmenuitemex.h"
#include "qmultilinelabel.h"
#include "ztconfig.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMimeData>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <atomic>

namespace {

// Answers the exit dialog by clicking one of its buttons; another dialog gets -1.
template <typename Button>
guitest::DialogAnswers::Answer clickOnExitDialog(Button* (QExitDialog::*pick)() const) {
    return [pick](CFramelessDialog& dialog) {
        auto* exit = qobject_cast<QExitDialog*>(&dialog);
        if (exit == nullptr) {
            return -1;
        }
        (exit->*pick)()->click();
        return dialog.result();
    };
}

// The user's own Url.ini, which overrides the one beside the programs.
void writeUserUrlFile(const QString& serverUrl) {
    const QString dir = qEnvironmentVariable("XDG_CONFIG_HOME") + "/zentar/Pixvue";
    QDir().mkpath(dir);
    QSettings urls(dir + "/Url.ini", QSettings::IniFormat);
    urls.setValue("ServerUrl/ServerUrl", serverUrl);
}

}  // namespace

// Takes the web pages the window opens instead of a browser.
class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void sizesAndPages();
    void dragOnlyByTheTitleArea();
    void growsFromItsDesignedSize();
    void dropsOfUrlsOnly();
    void dropTakesPicturesAndCountsTheRest();
    void menuHoverKeepsOrHidesThePopup();
    void menuItemsReachTheirActions();
    void closeAsksFirst();
    void closeWithYesEndsTheLoop();
    void closeStopsBackgroundThreads();

private:
    static QPoint dragBy(zentarPixvue& window, const QPoint& from, const QPoint& delta);
    static QList<QWidget*> visibleDialogs(QWidget* parent);
};

void TestMainWindow::initTestCase() {
    pixvue::applyApplicationLook();
}

void TestMainWindow::cleanup() {
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("http");
}

void TestMainWindow::sizesAndPages() {
    zentarPixvue window;
    QCOMPARE(window.size(), QSize(1060, 708));
    QCOMPARE(window.titleArea(), QRect(30, 30, 1000, 54));
    QCOMPARE(zentarPixvue::mainWindow(), &window);
    QCOMPARE(window.pageStack()->size(), QSize(1000, 594));
    QCOMPARE(window.pageStack()->currentWidget(), window.homePage());
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
}

QPoint TestMainWindow::dragBy(zentarPixvue& window, const QPoint& from, const QPoint& delta) {
    const QPoint start = window.pos();
    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&window, from + delta);
    // The cursor stays where it was on the window; after a move that is the press point.
    const QPoint releaseAt = window.pos() == start ? from + delta : from;
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, releaseAt);
    return window.pos() - start;
}

void TestMainWindow::dragOnlyByTheTitleArea() {
    zentarPixvue window;
    window.move(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(dragBy(window, QPoint(100, 50), QPoint(40, 25)), QPoint(40, 25));
    QVERIFY(!window.isDragging());
    QCOMPARE(dragBy(window, QPoint(1029, 83), QPoint(-30, 10)), QPoint(-30, 10));

    QCOMPARE(dragBy(window, QPoint(10, 10), QPoint(40, 25)), QPoint(0, 0));     // shadow
    QCOMPARE(dragBy(window, QPoint(500, 20), QPoint(40, 25)), QPoint(0, 0));    // shadow above
    QCOMPARE(dragBy(window, QPoint(500, 84), QPoint(40, 25)), QPoint(0, 0));    // just below
    QCOMPARE(dragBy(window, QPoint(500, 300), QPoint(40, 25)), QPoint(0, 0));   // home page
    QCOMPARE(dragBy(window, QPoint(1040, 50), QPoint(-20, 10)), QPoint(0, 0));  // right shadow
}

void TestMainWindow::growsFromItsDesignedSize() {
    guitest::resetSettings();
    {
        zentarPixvue window;
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), QSize(1060, 708));
        QCOMPARE(window.minimumSize(), QSize(1060, 708));
        const QPoint corner(1060 - 25, 708 - 25);  // in the shadow
        QCOMPARE(window.resizeEdgesAt(corner), Qt::RightEdge | Qt::BottomEdge);
        QCOMPARE(window.resizeEdgesAt(QPoint(1035, 300)), Qt::Edges(Qt::RightEdge));
        QCOMPARE(window.resizeEdgesAt(QPoint(1029, 300)), Qt::Edges());  // content
        QCOMPARE(window.resizeEdgesAt(QPoint(10, 690)), Qt::Edges());    // left shadow

        QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, corner);
        QTest::mouseMove(&window, corner + QPoint(200, 100));
        QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, corner + QPoint(200, 100));
        QCOMPARE(window.size(), QSize(1260, 808));
        QCOMPARE(window.pos(), QPoint(100, 100));
        QCOMPARE(window.titleArea(), QRect(30, 30, 1200, 54));
        QCOMPARE(window.pageStack()->size(), QSize(1200, 694));
        // The list takes the room, its file names the width.
        window.pageStack()->setCurrentIndex(zentarPixvue::OperatePage);
        QCoreApplication::processEvents();
        QTableViewBase* view = window.operatePage()->tableView();
        QCOMPARE(view->width(), 940 + 200);
        QVERIFY(view->height() >= 340 + 100);
        QCOMPARE(view->columnWidth(1), 210 + 200);
        QCOMPARE(ZtConfig::NewInstance()->getWindowSize(), QSize(1200, 748));

        // Never below the designed size.
        const QPoint grown(1260 - 25, 808 - 25);
        QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, grown);
        QTest::mouseMove(&window, grown - QPoint(600, 600));
        QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, grown - QPoint(600, 600));
        QCOMPARE(window.size(), QSize(1060, 708));
        QCOMPARE(view->columnWidth(1), 210);
        ZtConfig::NewInstance()->setWindowSize(QSize(1100, 700));
    }
    // The next start opens at the size kept, within the screen's room.
    ZtConfig::ReleaseConfigInstance();
    QCOMPARE(ZtConfig::NewInstance()->getWindowSize(), QSize(1100, 700));
    const QSize screen(1800, 1000);
    QCOMPARE(zentarPixvue::restoredContentSize(QSize(1100, 700), screen), QSize(1100, 700));
    QCOMPARE(zentarPixvue::restoredContentSize(QSize(), screen), QSize(1000, 648));
    QCOMPARE(zentarPixvue::restoredContentSize(QSize(2500, 400), screen), QSize(1800, 648));
    QCOMPARE(zentarPixvue::restoredContentSize(QSize(1100, 700), QSize(800, 600)),
             QSize(1000, 648));
    guitest::resetSettings();
}

void TestMainWindow::dropsOfUrlsOnly() {
    zentarPixvue window;
    QVERIFY(window.acceptDrops());
    QSignalSpy dropped(&window, &zentarPixvue::signalUrlsDropped);

    QMimeData text;
    text.setText(QStringLiteral("/tmp/IMG_0001.HEIC"));
    QDragEnterEvent textEnter(QPoint(500, 300), Qt::CopyAction, &text, Qt::LeftButton,
                              Qt::NoModifier);
    QApplication::sendEvent(&window, &textEnter);
    QVERIFY(!textEnter.isAccepted());

    QMimeData empty;
    empty.setUrls({});
    QDropEvent emptyDrop(QPointF(500, 300), Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &emptyDrop);
    QCOMPARE(dropped.count(), 0);
    QCOMPARE(window.pageStack()->currentIndex(), int(zentarPixvue::HomePage));

    const QList<QUrl> urls{QUrl::fromLocalFile("/tmp/a.heic"), QUrl::fromLocalFile("/tmp/dir")};
    QMimeData files;
    files.setUrls(urls);
    QDragEnterEvent filesEnter(QPoint(500, 300), Qt::CopyAction, &files, Qt::LeftButton,
                               Qt::NoModifier);
    QApplication::sendEvent(&window, &filesEnter);
    QVERIFY(filesEnter.isAccepted());
    QDropEvent filesDrop(QPointF(500, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &filesDrop);
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().value<QList<QUrl>>(), urls);
}

// From a dropped folder every picture type is listed and the rest passed over; files dropped
// by themselves that are no picture are counted in one message.
void TestMainWindow::dropTakesPicturesAndCountsTheRest() {
    QTemporaryDir root;
    const QDir dir(root.path());
    for (const char* name : {"mixed/a.heic", "mixed/b.HIF", "mixed/c.avif", "mixed/sub/d.heif",
                             "mixed/e.jpg", "mixed/f.txt", "notes.txt", "photo.png", "IMG.AVIF"}) {
        QVERIFY(dir.mkpath(QFileInfo(dir.filePath(name)).path()));
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not decoded here");
    }
    guitest::DialogAnswers answers;
    QString told;
    answers.answer([&told](CFramelessDialog& dialog) {
        for (const QMultiLineLabel* label : dialog.findChildren<QMultiLineLabel*>()) {
            told += label->text();
        }
        return int(QDialog::Accepted);
    });
    zentarPixvue window;
    answers.answerFor(window);
    QSignalSpy completed(window.operatePage(), &QOperatePage::signalOpCompleted);
    const auto url = [&dir](const char* name) { return QUrl::fromLocalFile(dir.filePath(name)); };
    guitest::dropUrls(window, {url("mixed"), url("notes.txt"), url("photo.png"), url("IMG.AVIF")});
    QVERIFY(guitest::waitFor([&answers] { return answers.asked() == 1; }));
    QStringList names;
    const QHeicModel& model = *window.operatePage()->model();
    for (int row = 0; row < model.rowCount(); ++row) {
        names << model.heicData(row)->strFileName;
    }
    names.sort();
    QCOMPARE(names, QStringList({"IMG.AVIF", "a.heic", "b.HIF", "c.avif", "d.heif"}));
    QCOMPARE(window.pageStack()->currentIndex(), int(zentarPixvue::OperatePage));
    QVERIFY2(told.contains("2 file(s) not added") && told.contains("AVIF"), qPrintable(told));

    // The folder again: nothing new, nothing to tell.
    guitest::dropUrls(window, {url("mixed")});
    QVERIFY(guitest::waitFor([&completed] { return completed.count() == 2; }));
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(answers.asked(), 1);
    QCOMPARE(answers.unexpected(), 0);
}

void TestMainWindow::menuHoverKeepsOrHidesThePopup() {
    zentarPixvue window;
    window.move(0, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.menuDialog() == nullptr);

    QIconButton* button = window.menuButton();
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(button, &enter);
    QMenuDialog* menu = window.menuDialog();
    QVERIFY(menu != nullptr);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->size(), QSize(150, 352));
    const QRect buttonInWindow(button->mapTo(&window, QPoint(0, 0)), button->size());
    QCOMPARE(menu->geometry().top(), buttonInWindow.bottom());
    QCOMPARE(menu->geometry().center().x(), buttonInWindow.center().x());

    // Down from the button onto the menu: it stays.
    QCursor::setPos(window.mapToGlobal(menu->geometry().center()));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    QVERIFY(menu->isVisible());

    // Leaving the menu hides it.
    QEvent leaveMenu(QEvent::Leave);
    QApplication::sendEvent(menu, &leaveMenu);
    QVERIFY(!menu->isVisible());

    // From the button to elsewhere: it hides; the same popup comes back on the next hover.
    QEvent enterAgain(QEvent::Enter);
    QApplication::sendEvent(button, &enterAgain);
    QVERIFY(menu->isVisible());
    QCursor::setPos(window.mapToGlobal(QPoint(100, 400)));
    QEvent leaveAgain(QEvent::Leave);
    QApplication::sendEvent(button, &leaveAgain);
    QVERIFY(!menu->isVisible());
    QCOMPARE(window.menuDialog(), menu);
}

QList<QWidget*> TestMainWindow::visibleDialogs(QWidget* parent) {
    QList<QWidget*> dialogs;
    for (QWidget* dialog : parent->findChildren<CFramelessDialog*>()) {
        if (dialog->isVisible()) {
            dialogs.append(dialog);
        }
    }
    return dialogs;
}

void TestMainWindow::menuItemsReachTheirActions() {
    guitest::resetSettings();
    guitest::DialogAnswers answers;
    guitest::UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    zentarPixvue window;
    answers.answerFor(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(window.menuButton(), &enter);
    QMenuDialog* menu = window.menuDialog();
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->item(1)->text(), QStringLiteral("Official Web"));
    QCOMPARE(menu->item(8)->text(), QStringLiteral("Exit"));
    QCOMPARE(menu->item(9)->text(), QStringLiteral("Privacy"));
    QVERIFY(menu->item(0) == nullptr && menu->item(10) == nullptr);

    auto click = [&](int id) {
        QSignalSpy clicked(menu, &QMenuDialog::signalItemClicked);
        menu->show();
        QTest::mouseClick(menu->item(id), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().first().toInt(), id);
        QVERIFY(!menu->isVisible());
    };
    click(QMenuDialog::OfficialWeb);
    click(QMenuDialog::ContactUs);
    click(QMenuDialog::HelpCenter);
    QCOMPARE(catcher.urls.size(), 3);
    // The site's pages in the interface's language.
    QCOMPARE(catcher.urls[0].path(), QStringLiteral("/en/home.html"));
    QCOMPARE(catcher.urls[1].path(), QStringLiteral("/en/contact-us.html"));
    QCOMPARE(catcher.urls[2].path(), QStringLiteral("/en/product-pixvue-help.html"));
    ZtConfig::NewInstance()->setLanguageType(Chinese);
    QCOMPARE(zentarPixvue::webPage(zentarPixvue::kHelpPagePath).path(),
             QStringLiteral("/cn/product-pixvue-help.html"));
    ZtConfig::NewInstance()->setLanguageType(English);
    QCOMPARE(catcher.urls[0].host(), QUrl(ZtConfig::NewInstance()->getWebSiteUrl()).host());

    click(QMenuDialog::Language);
    QList<QWidget*> shown = visibleDialogs(&window);
    QCOMPARE(shown.size(), 1);
    QVERIFY(qobject_cast<QLanguageDialog*>(shown.first()) != nullptr);
    QVERIFY(shown.first()->isModal());
    shown.first()->close();
    QTRY_VERIFY(visibleDialogs(&window).isEmpty());

    // The network switches: off until ticked; each Confirm stores them, and the log sender
    // (the real one, its service a closed port on this machine) follows the switch.
    writeUserUrlFile("http://127.0.0.1:9");
    QOnlineServices services(&window, qEnvironmentVariable("PIXVUE_BIN_DIR") + "/ZtLogSender_HC");
    connect(&window, &zentarPixvue::signalConsentChanged, &services,
            &QOnlineServices::slotApplyConsent);
    QSignalSpy consent(&window, &zentarPixvue::signalConsentChanged);
    for (bool logs : {true, false}) {
        click(QMenuDialog::Privacy);
        shown = visibleDialogs(&window);
        auto* privacy = qobject_cast<QPrivacyDialog*>(shown.value(0));
        QVERIFY(privacy != nullptr && privacy->isModal());
        QVERIFY(!privacy->updateCheckBox()->isChecked());
        QCOMPARE(privacy->logUploadBox()->isChecked(), !logs);
        privacy->logUploadBox()->click();
        privacy->confirmButton()->click();
        QTRY_VERIFY(visibleDialogs(&window).isEmpty());
        QVERIFY(ZtConfig::NewInstance()->isConsentAnswered());
        QCOMPARE(ZtConfig::NewInstance()->isLogUploadAllowed(), logs);
        QVERIFY(!ZtConfig::NewInstance()->isUpdateCheckAllowed());
        QCOMPARE(services.isLogSenderRunning(), logs);
    }
    QCOMPARE(consent.count(), 2);

    click(QMenuDialog::About);
    shown = visibleDialogs(&window);
    QCOMPARE(shown.size(), 1);
    auto* about = qobject_cast<QAboutDialog*>(shown.first());
    QVERIFY(about != nullptr);
    about->logoButton()->click();
    QCOMPARE(catcher.urls.size(), 4);
    QCOMPARE(catcher.urls[3].path(), QStringLiteral("/en/home.html"));
    about->close();

    // The update and feedback entries are tested against the test web service (tests/update).
    window.slotMenuItemClicked(0);
    window.slotMenuItemClicked(10);
    QTRY_VERIFY(visibleDialogs(&window).isEmpty());
    QCOMPARE(catcher.urls.size(), 4);
    QCOMPARE(answers.asked(), 0);

    answers.reject();
    click(QMenuDialog::Exit);
    QCOMPARE(answers.askedClasses(), QStringList{"QExitDialog"});
    QVERIFY(window.isVisible());
}

void TestMainWindow::closeAsksFirst() {
    guitest::DialogAnswers answers;
    zentarPixvue window;
    answers.answerFor(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // NO, the dialog's close button and an unanswered dialog all keep the window.
    answers.answer(clickOnExitDialog(&QExitDialog::noButton));
    answers.answer(clickOnExitDialog(&QExitDialog::closeButton));
    answers.reject();
    QVERIFY(!window.close());
    window.closeButton()->click();
    window.exitProgram();
    QCOMPARE(answers.askedClasses(), QStringList({"QExitDialog", "QExitDialog", "QExitDialog"}));
    QVERIFY(window.isVisible());
    QCOMPARE(answers.unexpected(), 0);

    // Minimising is not closing.
    window.minimizeButton()->click();
    QVERIFY(window.windowState() & Qt::WindowMinimized);
    QCOMPARE(answers.asked(), 3);
}

void TestMainWindow::closeWithYesEndsTheLoop() {
    guitest::DialogAnswers answers;
    answers.answer(clickOnExitDialog(&QExitDialog::yesButton));
    zentarPixvue window;
    answers.answerFor(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTimer::singleShot(0, &window, [&window] { window.closeButton()->click(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(60000);
    const int exitCode = QApplication::exec();
    QCOMPARE(exitCode, 0);
    QVERIFY(!window.isVisible());
    QCOMPARE(answers.asked(), 1);
}

void TestMainWindow::closeStopsBackgroundThreads() {
    guitest::DialogAnswers answers;
    answers.accept();
    zentarPixvue window;
    answers.answerFor(window);
    window.show();
    std::atomic<bool> stop{false};
    std::atomic<bool> ran{false};
    QThread* worker = QThread::create([&stop, &ran] {
        ran = true;
        while (!stop.load()) {
            QThread::yieldCurrentThread();
        }
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QPointer<QThread> watched(worker);
    window.threadKeeper()->adopt(worker, [&stop] { stop = true; });
    worker->start();
    QVERIFY(guitest::waitFor([&ran] { return ran.load(); }));
    QCOMPARE(window.threadKeeper()->runningCount(), 1);

    QVERIFY(window.close());
    QVERIFY(stop.load());
    QVERIFY(!watched.isNull());
    QVERIFY(watched->isFinished());
    QCOMPARE(window.threadKeeper()->runningCount(), 0);
    QTRY_VERIFY(watched.isNull());
}

PIXVUE_GUI_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
