#include "app/pixvuepaths.h"
#include "guitestsupport.h"

#include <QApplication>

class TestPixvuePaths : public QObject {
    Q_OBJECT

private slots:
    void systemDirectoriesByWholeComponents();
    void defaultOutputOnTheDesktop();
};

void TestPixvuePaths::systemDirectoriesByWholeComponents() {
    for (const char* path : {"/", "/usr", "/usr/", "/usr/share/x", "/etc", "/var/tmp", "/proc/1",
                             "/home/../usr/lib", "", "  "}) {
        QVERIFY2(pixvue::isSystemDirectory(path), path);
    }
    for (const char* path : {"/usr2", "/home/me/usr", "/tmp/out", "/home/me/Pictures", "/varx"}) {
        QVERIFY2(!pixvue::isSystemDirectory(path), path);
    }
}

void TestPixvuePaths::defaultOutputOnTheDesktop() {
    QCOMPARE(pixvue::defaultOutputDirectory(), guitest::desktopDirectory() + "/Pixvue");
    QVERIFY(guitest::desktopDirectory().startsWith(guitest::userRoot()));
    QCOMPARE(pixvue::programPath("QFaultPost"),
             QCoreApplication::applicationDirPath() + "/QFaultPost");
}

PIXVUE_GUI_TEST_MAIN(TestPixvuePaths)
#include "tst_pixvuepaths.moc"
