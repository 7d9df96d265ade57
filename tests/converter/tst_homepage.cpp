// The home page's file dialog, the "Add files" dialog itself and the Chinese translation of the
// start-up.
#include "app/pixvuestartup.h"
#include "dialogs/qexitdialog.h"
#include "guitestsupport.h"
#include "mainwindow/qmenudialog.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qaddfilesdialog.h"
#include "pages/qhomepage.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qmenuitemex.h"
#include "qmultilinelabel.h"
#include "ztdatadir.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTranslator>

class TestHomePage : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fileDialogForPictures();
    void addFilesDialogTakesFolders();
    void cancelledDialogAddsNothing();
    void chineseOnlyForLanguageOne();

private:
    struct Asked {
        QWidget* parent = nullptr;
        QString caption;
        QString directory;
        QString filter;
        int count = 0;
    };
    static QString todaysLog();
};

void TestHomePage::initTestCase() {
    pixvue::applyApplicationLook();
}

QString TestHomePage::todaysLog() {
    QFile file(ztlog::dataDirectory() + "Trace/" + QDate::currentDate().toString("yyyyMMdd") +
               ".log");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestHomePage::fileDialogForPictures() {
    Asked asked;
    const QStringList chosen{"/photos/IMG_1.heic", "/photos/IMG_2.HEIC"};
    QHomePage page;
    page.setFileChooser([&asked, chosen](QWidget* parent, const QString& caption,
                                         const QString& directory, const QString& filter) {
        asked = {parent, caption, directory, filter, asked.count + 1};
        return chosen;
    });
    QSignalSpy picked(&page, &QHomePage::signalFilesChosen);
    QCOMPARE(page.addButton()->text(), QStringLiteral("Add files"));
    QCOMPARE(page.addButton()->size(), QSize(148, 36));

    // The button, the picture and the hint ask, as the hint says; the blank page does not.
    QTest::mouseClick(&page, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(asked.count, 0);
    QTest::mouseClick(page.addButton(), Qt::LeftButton);
    QCOMPARE(asked.count, 1);
    QCOMPARE(asked.parent, &page);
    QCOMPARE(asked.caption, QStringLiteral("Select HEIC, HEIF or AVIF pictures, or folders"));
    QCOMPARE(asked.directory, QStringLiteral("."));
    QCOMPARE(asked.filter, QStringLiteral("HEIC, HEIF and AVIF pictures (*.heic *.HEIC *.heif "
                                          "*.HEIF *.hif *.HIF *.avif *.AVIF)"));
    QCOMPARE(page.hint()->text(),
             QStringLiteral("Drag HEIC, HEIF or AVIF photos here or click the area to add the "
                            "files"));
    QTest::mouseClick(page.picture(), Qt::LeftButton);
    QCOMPARE(asked.count, 2);
    QTest::mouseClick(page.hint(), Qt::RightButton);
    QCOMPARE(asked.count, 2);
    QTest::mouseClick(page.hint(), Qt::LeftButton);
    QCOMPARE(asked.count, 3);
    QCOMPARE(picked.count(), 3);
    QCOMPARE(picked.first().first().toStringList(), chosen);
}

// Open takes a selected folder, or folders and files together, instead of entering it.
void TestHomePage::addFilesDialogTakesFolders() {
    QTemporaryDir root;
    const QDir dir(root.path());
    QVERIFY(dir.mkpath("photos/2024"));
    QFile file(dir.filePath("a.heic"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QAddFilesDialog dialog(nullptr, QAddFilesDialog::pictureCaption(), root.path(),
                           QAddFilesDialog::pictureFilter());
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name != nullptr);
    name->setText("photos");
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.chosenPaths(), QStringList({dir.filePath("photos")}));

    QAddFilesDialog both(nullptr, QString(), root.path(), QAddFilesDialog::pictureFilter());
    both.findChild<QLineEdit*>("fileNameEdit")->setText("\"photos\" \"a.heic\"");
    both.accept();
    QCOMPARE(both.chosenPaths(), QStringList({dir.filePath("photos"), dir.filePath("a.heic")}));
}

void TestHomePage::cancelledDialogAddsNothing() {
    zentarPixvue window;
    window.homePage()->setFileChooser(
        [](QWidget*, const QString&, const QString&, const QString&) { return QStringList(); });
    QSignalSpy picked(window.homePage(), &QHomePage::signalFilesChosen);
    const int before = todaysLog().count("user no select any heic files");
    window.homePage()->addButton()->click();
    QCOMPARE(picked.count(), 0);
    QCOMPARE(window.pageStack()->currentWidget(), window.homePage());
    QCOMPARE(todaysLog().count("user no select any heic files"), before + 1);
}

void TestHomePage::chineseOnlyForLanguageOne() {
    // English (and any other value) mends the wording of source texts, which stay the keys.
    for (Language language : {English, Language(7)}) {
        QTranslator english;
        QVERIFY(pixvue::loadTranslation(english, language));
        QCOMPARE(
            english.translate("QLanguageDialog", "The progam will restart to apply your change"),
            QString("The program will restart to apply your change"));
        QVERIFY(english.translate("QHomePage", "Add files").isEmpty());
    }

    QTranslator chinese;
    QVERIFY(pixvue::loadTranslation(chinese, Chinese));
    QVERIFY(todaysLog().contains("language is chinese"));
    QCoreApplication::installTranslator(&chinese);
    {
        zentarPixvue window;
        QCOMPARE(window.homePage()->addButton()->text(), QString::fromUtf8("添加文件"));
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(window.menuButton(), &enter);
        QCOMPARE(window.menuDialog()->item(QMenuDialog::Language)->text(),
                 QString::fromUtf8("语言"));
        QExitDialog exit;
        QCOMPARE(exit.yesButton()->text(), QString::fromUtf8("是"));
    }
    QCoreApplication::removeTranslator(&chinese);
    QHomePage page;
    QCOMPARE(page.addButton()->text(), QStringLiteral("Add files"));
}

PIXVUE_GUI_TEST_MAIN(TestHomePage)
#include "tst_homepage.moc"
