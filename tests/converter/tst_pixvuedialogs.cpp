// The language, about and exit dialogs.
#include "app/pixvuestartup.h"
#include "dialogs/qaboutdialog.h"
#include "dialogs/qexitdialog.h"
#include "dialogs/qlanguagedialog.h"
#include "guitestsupport.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "ztconfig.h"

#include <QApplication>
#include <QComboBox>
#include <QSettings>

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

}  // namespace

class TestPixvueDialogs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void confirmOnlyForAnotherLanguage_data();
    void confirmOnlyForAnotherLanguage();
    void confirmStoresAndRestarts();
    void cancelChangesNothing();
    void exitAcceptsOnlyYes();
    void aboutShowsTheVersion();
};

void TestPixvueDialogs::initTestCase() {
    pixvue::applyApplicationLook();
}

void TestPixvueDialogs::cleanup() {
    guitest::resetSettings();
}

void TestPixvueDialogs::confirmOnlyForAnotherLanguage_data() {
    QTest::addColumn<int>("stored");
    QTest::newRow("English") << int(English);
    QTest::newRow("Chinese") << int(Chinese);
}

void TestPixvueDialogs::confirmOnlyForAnotherLanguage() {
    QFETCH(int, stored);
    ZtConfig::NewInstance()->setLanguageType(Language(stored));
    QLanguageDialog dialog;
    QComboBox* combo = dialog.comboBox();
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("English"));
    QCOMPARE(combo->itemText(1), QStringLiteral("Chinese"));
    QCOMPARE(combo->currentIndex(), stored);
    QVERIFY(!dialog.confirmButton()->isEnabled());
    QCOMPARE(dialog.confirmButton()->buttonState(), int(ButtonDisabled));

    combo->setCurrentIndex(1 - stored);
    QVERIFY(dialog.confirmButton()->isEnabled());
    combo->setCurrentIndex(stored);
    QVERIFY(!dialog.confirmButton()->isEnabled());
    QCOMPARE(dialog.size(), QSize(530, 302));
}

void TestPixvueDialogs::confirmStoresAndRestarts() {
    ZtConfig::NewInstance()->setLanguageType(English);
    QLanguageDialog dialog;
    dialog.show();
    dialog.comboBox()->setCurrentIndex(1);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.confirmButton()->click(); });
    QTimer guard;
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(60000);
    QCOMPARE(QApplication::exec(), pixvue::kRestartExitCode);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ZtConfig::NewInstance()->getLanguageType(), Chinese);

    // Stored in the file, for the next start.
    ZtConfig::ReleaseConfigInstance();
    QCOMPARE(ZtConfig::NewInstance()->getLanguageType(), Chinese);
    QSettings file(guitest::dataDirectory() + "Configures.ini", QSettings::IniFormat);
    QCOMPARE(file.value("Language/LanguageType").toInt(), 1);
}

void TestPixvueDialogs::cancelChangesNothing() {
    ZtConfig::NewInstance()->setLanguageType(Chinese);
    QLanguageDialog dialog;
    dialog.show();
    dialog.comboBox()->setCurrentIndex(0);
    dialog.cancelButton()->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ZtConfig::NewInstance()->getLanguageType(), Chinese);
}

void TestPixvueDialogs::exitAcceptsOnlyYes() {
    guitest::DialogAnswers answers;
    answers.answer(clickOnExitDialog(&QExitDialog::yesButton));
    answers.answer(clickOnExitDialog(&QExitDialog::noButton));
    answers.answer(clickOnExitDialog(&QExitDialog::closeButton));
    for (int expected : {int(QDialog::Accepted), int(QDialog::Rejected), int(QDialog::Rejected)}) {
        QExitDialog dialog;
        answers.answerFor(dialog);
        QCOMPARE(dialog.exec(), expected);
    }
    QCOMPARE(answers.unexpected(), 0);

    QExitDialog dialog;
    QCOMPARE(dialog.size(), QSize(530, 302));
    QCOMPARE(dialog.titleBand(), QRect(30, 30, 470, 44));
    QCOMPARE(dialog.yesButton()->text(), QStringLiteral("YES"));
    QCOMPARE(dialog.noButton()->text(), QStringLiteral("NO"));
}

void TestPixvueDialogs::aboutShowsTheVersion() {
    QAboutDialog dialog(QUrl("https://www.pixvue.example/en/home.html"));
    const QString version = ZtConfig::NewInstance()->getSoftwareVersion();
    QCOMPARE(dialog.versionLabel()->text(), QStringLiteral("Version : ") + version);
    QCOMPARE(dialog.logoButton()->cursor().shape(), Qt::PointingHandCursor);
}

PIXVUE_GUI_TEST_MAIN(TestPixvueDialogs)
#include "tst_pixvuedialogs.moc"
