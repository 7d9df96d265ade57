// A conversion as a user runs it on the real main window: a folder of real samples dropped on
// it, the operate page's controls set, "Convert" clicked, and the output folder read back: upright
// pictures of the right size, EXIF and colour profile where they belong, one file per image,
// failures for the broken samples, and nothing overwritten by a second run.
#include "app/pixvuestartup.h"
#include "convertrunsupport.h"
#include "enginetestsupport.h"
#include "pages/qfilelistcontroller.h"
#include "workers/qconvertheicthread.h"
#include "ztheicapi.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QMap>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtEndian>

#include <libheif/heif.h>
#include <exiv2/exiv2.hpp>

#include <memory>

using convertrun::Choice;

namespace {

// A real sample and what a correct conversion of it gives.
struct Sample {
    const char* source;  // under the samples folder
    int images;
    QSize stored;     // each image, clean aperture applied, not turned
    int orientation;  // how to turn it upright: 1 or 6
    bool exif;        // the source has EXIF
    bool icc;         // the source has a colour profile
    // What still turns libheif's own decode upright: it follows the container's rotation
    // alone, which files without irot but with an EXIF orientation lack.
    int libheifTurn;
    bool sanitized;  // also in the sanitizer builds
};

const Sample kSamples[] = {
    {"pillow_heif/arrow.heic", 1, {4032, 3024}, 6, true, true, 1, true},
    {"libvips/Example1.heic", 1, {4032, 3024}, 6, true, true, 6, false},
    {"pillow_heif/iPhoneXR.heic", 1, {4032, 3024}, 1, true, true, 1, false},
    {"libheif/example.heic", 2, {1280, 854}, 1, false, false, 1, true},
    {"pillow_heif/RGBA_10__29x100.heif", 1, {29, 100}, 1, false, false, 1, true},
    {"libheif/rainbow-451x461.heic", 1, {451, 461}, 1, false, true, 1, true},
};

// The name in the dropped folder: the list takes .heic names only.
QString droppedName(const Sample& sample) {
    return QFileInfo(sample.source).completeBaseName() + ".heic";
}

// Broken on purpose: each must end as a failure.
const char* const kBroken[][2] = {
    {"pillow_heif/empty.heic", "empty.heic"},
    {"pillow_heif/corrupted.heic", "corrupted.heic"},
    {"pillow_heif/heif_truncated/truncated.heic", "truncated.heic"},
    {"libheif/github_15.heic", "github_15.heic"},
    {"libheif/github_48.heic", "github_48.heic"},
    {"libheif/uaf_heif_context.h_117_1.heic", "uaf_heif_context.h_117_1.heic"},
};

bool inThisBuild(const Sample& sample) {
#ifdef PIXVUE_SANITIZED
    return sample.sanitized;
#else
    Q_UNUSED(sample);
    return true;
#endif
}

QSize turned(const QSize& size, int orientation) {
    return orientation >= 5 ? size.transposed() : size;
}

// What the source holds besides its pixels: the primary image's EXIF and colour profile.
struct SourceMetadata {
    bool exif = false;
    QByteArray icc;  // with its length field as the written files carry it
};

SourceMetadata sourceMetadata(const QString& path) {
    SourceMetadata metadata;
    heif_context* ctx = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    if (heif_context_read_from_file(ctx, QFile::encodeName(path).constData(), nullptr).code ==
            heif_error_Ok &&
        heif_context_get_primary_image_handle(ctx, &handle).code == heif_error_Ok) {
        heif_item_id exif = 0;
        metadata.exif =
            heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &exif, 1) > 0 &&
            heif_image_handle_get_metadata_size(handle, exif) > 8;
        metadata.icc.resize(int(heif_image_handle_get_raw_color_profile_size(handle)));
        if (!metadata.icc.isEmpty()) {
            heif_image_handle_get_raw_color_profile(handle, metadata.icc.data());
            qToBigEndian(quint32(metadata.icc.size()),
                         reinterpret_cast<uchar*>(metadata.icc.data()));
        }
        heif_image_handle_release(handle);
    }
    heif_context_free(ctx);
    return metadata;
}

// What a written file holds, read with exiv2.
struct WrittenMetadata {
    bool read = false;
    bool exif = false;
    int orientation = 0;  // 0: no tag
    QByteArray icc;
};

WrittenMetadata writtenMetadata(const QString& path) {
    WrittenMetadata metadata;
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(QFile::encodeName(path).data());
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        metadata.exif = !exif.empty();
        const auto tag = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (tag != exif.end()) {
            metadata.orientation = int(tag->toLong());
        }
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* icc = image->iccProfile();
            metadata.icc = QByteArray(reinterpret_cast<const char*>(icc->pData_), int(icc->size_));
        }
        metadata.read = true;
    } catch (const Exiv2::AnyError& error) {
        qWarning("exiv2 cannot read %s: %s", qPrintable(path), error.what());
    }
    return metadata;
}

QSize scaledBy(const QSize& size, int percent) {
    return QSize(size.width() * percent / 100, size.height() * percent / 100);
}

bool closeTo(const QSize& a, const QSize& b) {
    return qAbs(a.width() - b.width()) <= 1 && qAbs(a.height() - b.height()) <= 1;
}

QMap<QString, QByteArray> contentsOf(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (const QString& name : convertrun::entries(dir)) {
        files.insert(name, enginetest::readAll(dir + name));
    }
    return files;
}

}  // namespace

class TestConvertRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void oneFileAtATime();
    void severalAtOnce();
    void avifFolderToJpg();

private:
    struct Prepared {
        Sample sample;
        QString path;  // the copy in the dropped folder
        SourceMetadata metadata;
        QList<QImage> reference;  // libheif's decode, upright, as thumbnails
    };
    // Output names and sizes of every run of a pass, by run and name.
    using Sizes = QMap<QString, qint64>;

    void runPass(const QString& label, Sizes& sizes);
    void convert(zentarPixvue& window, const Choice& choice);
    void checkRows(const QHeicModel& model);
    void checkOutputs(const Choice& choice, int run);
    void checkOutput(const Prepared& prepared, int image, const Choice& choice,
                     const QString& path);
    static QString outputName(const Prepared& prepared, int index, const Choice& choice);
    void recordSizes(const QString& label, const Choice& choice, Sizes& sizes);

    QTemporaryDir m_work;
    QString m_input;
    QList<Prepared> m_good;
    QStringList m_broken;
    Sizes m_oneAtATime;
};

void TestConvertRun::initTestCase() {
    if (!guitest::hasTestData() || !QFileInfo::exists(guitest::sample(kSamples[0].source))) {
        QSKIP("no samples: PIXVUE_TESTDATA does not name the folder of real HEIC samples");
    }
    pixvue::applyApplicationLook();
    Exiv2::XmpParser::initialize();
    QVERIFY(m_work.isValid());
    // Copies: the add worker leaves symbolic links out of a dropped folder.
    m_input = m_work.filePath("photos");
    QDir().mkpath(m_input);
    for (const Sample& sample : kSamples) {
        if (!inThisBuild(sample)) {
            continue;
        }
        Prepared prepared{sample, m_input + "/" + droppedName(sample), {}, {}};
        QVERIFY2(QFile::copy(guitest::sample(sample.source), prepared.path), sample.source);
        prepared.metadata = sourceMetadata(prepared.path);
        QVERIFY2(prepared.metadata.exif == sample.exif, sample.source);
        QVERIFY2(prepared.metadata.icc.isEmpty() != sample.icc, sample.source);
        for (const QImage& image : enginetest::libheifReference(prepared.path)) {
            prepared.reference << enginetest::turnedSquare(enginetest::thumbnail(image),
                                                           sample.libheifTurn);
        }
        QCOMPARE(prepared.reference.size(), sample.images);
        m_good << prepared;
    }
    for (const auto& broken : kBroken) {
        const QString path = m_input + "/" + broken[1];
        QVERIFY2(QFile::copy(guitest::sample(broken[0]), path), broken[0]);
        m_broken << path;
    }
}

void TestConvertRun::cleanup() {
    // The window, and with it every worker, has gone: the decoded images go, as at the
    // program's end.
    ZtHeicAPI::releaseAllMapData();
    QConvertHeicThread::setDefaultParallelFiles(0);
}

// The whole run with one file at a time, where every edge case of the worker holds exactly.
void TestConvertRun::oneFileAtATime() {
    QConvertHeicThread::setDefaultParallelFiles(1);
    runPass("one", m_oneAtATime);
}

// The same with several files at once: the same outputs by name and size.
void TestConvertRun::severalAtOnce() {
    QConvertHeicThread::setDefaultParallelFiles(0);
    Sizes sizes;
    runPass("several", sizes);
    if (!m_oneAtATime.isEmpty()) {
        QCOMPARE(sizes, m_oneAtATime);
    }
}

// The AVIF samples' folder dropped as it is: its pictures listed, the PNG beside them passed
// over without a word, every picture converted upright.
void TestConvertRun::avifFolderToJpg() {
    const QString folder = guitest::sample("avif");
    const QStringList avif = QDir(folder).entryList({"*.avif"}, QDir::Files, QDir::Name);
    if (avif.isEmpty()) {
        QSKIP("no AVIF samples in PIXVUE_TESTDATA");
    }
    guitest::DialogAnswers answers;
    answers.answer(convertrun::yesToExit());
    auto window = convertrun::openFreshWindow();
    QVERIFY(window);
    answers.answerFor(*window);
    QOperatePage& page = *window->operatePage();
    QVERIFY(convertrun::dropAndWait(*window, folder));
    QStringList listed;
    for (const QString& path : convertrun::rowPaths(*page.model())) {
        listed << QFileInfo(path).fileName();
    }
    listed.sort();
    QCOMPARE(listed, avif);

    const convertrun::Choice choice{JPG, true, "100%", "90%", m_work.filePath("avif")};
    convertrun::choose(page, choice);
    convertrun::checkAllRows(page);
    QConvertImageDlg* dialog = convertrun::clickConvert(*window);
    QVERIFY(dialog != nullptr);
    QCOMPARE(convertrun::waitCompleted(dialog),
             convertrun::completedText(avif.size(), avif.size(), 0));
    QVERIFY(convertrun::closeCompleted(dialog));
    for (const QString& name : avif) {
        const QImage reference =
            enginetest::onWhite(enginetest::libheifReference(folder + "/" + name).value(0));
        const QImage written = enginetest::upright(convertrun::outputDir(choice) +
                                                   QFileInfo(name).completeBaseName() + ".jpg");
        QCOMPARE(written.size(), reference.size());
        QVERIFY2(enginetest::psnr(written, reference) > 30, qPrintable(name));
    }
    QVERIFY(window->close());
    QCOMPARE(answers.askedClasses(), QStringList({"QExitDialog"}));
}

void TestConvertRun::runPass(const QString& label, Sizes& sizes) {
    guitest::DialogAnswers answers;
    answers.answer(convertrun::yesToExit());
    auto window = convertrun::openFreshWindow();
    QVERIFY(window);
    answers.answerFor(*window);
    QOperatePage& page = *window->operatePage();
    QAbstractItemModelTester tester(page.model().data(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    QVERIFY(convertrun::dropAndWait(*window, m_input));
    QCOMPARE(window->pageStack()->currentIndex(), int(zentarPixvue::OperatePage));
    QStringList listed = convertrun::rowPaths(*page.model());
    QCOMPARE(listed.size(), m_good.size() + m_broken.size());
    QCOMPARE(page.fileList()->paths(), listed);

    const QString root = m_work.filePath(label);
    const Choice runs[] = {
        {JPG, true, "100%", "100%", root + "/exif"},
        {JPG, false, "50%", "90%", root + "/plain"},
        {PNG, true, "100%", "80%", root + "/png"},
        {BMP, true, "50%", "100%", root + "/bmp"},
    };
    for (const Choice& choice : runs) {
        convert(*window, choice);
        if (QTest::currentTestFailed()) {
            return;
        }
        checkRows(*page.model());
        checkOutputs(choice, 0);
        recordSizes(QFileInfo(choice.base).fileName(), choice, sizes);
        if (QTest::currentTestFailed()) {
            return;
        }
        if (choice.format != JPG || !choice.keepExif) {
            continue;
        }
        // Again into the same folder: new names, the first run's files untouched.
        const QMap<QString, QByteArray> first = contentsOf(convertrun::outputDir(choice));
        convert(*window, choice);
        QCOMPARE(contentsOf(convertrun::outputDir(choice)).size(), 2 * first.size());
        for (auto it = first.constBegin(); it != first.constEnd(); ++it) {
            QVERIFY2(enginetest::readAll(convertrun::outputDir(choice) + it.key()) == it.value(),
                     qPrintable(it.key()));
        }
        checkOutputs(choice, 1);
        recordSizes("again", choice, sizes);
    }
    QCOMPARE(page.fileList()->paths(), convertrun::rowPaths(*page.model()));
    QVERIFY(window->close());
    QCOMPARE(answers.askedClasses(), QStringList({"QExitDialog"}));
    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(page.runningWorkers(), 0);
}

void TestConvertRun::convert(zentarPixvue& window, const Choice& choice) {
    QOperatePage& page = *window.operatePage();
    convertrun::choose(page, choice);
    QVERIFY(convertrun::storeHolds(choice));
    QCOMPARE(page.pathEdit()->text(), choice.base);
    convertrun::checkAllRows(page);
    QCOMPARE(page.tableView()->checkedRows().size(), page.model()->rowCount());
    QConvertImageDlg* dialog = convertrun::clickConvert(window);
    QVERIFY(dialog != nullptr);
    QVERIFY(QFileInfo(convertrun::outputDir(choice)).isDir());
    const int total = m_good.size() + m_broken.size();
    QCOMPARE(convertrun::waitCompleted(dialog),
             convertrun::completedText(total, m_good.size(), m_broken.size()));
    QVERIFY(dialog->viewFilesButton()->isEnabled());
    QVERIFY(convertrun::closeCompleted(dialog));
}

// Converted rows show their result; the broken ones say why in their tool tip.
void TestConvertRun::checkRows(const QHeicModel& model) {
    for (const Prepared& prepared : qAsConst(m_good)) {
        const HeicModelData* record = convertrun::rowOf(model, prepared.path);
        QVERIFY2(record != nullptr, qPrintable(prepared.path));
        QVERIFY2(record->nConvertState == HeicModelData::Completed, qPrintable(prepared.path));
        QCOMPARE(record->nFolderState, int(HeicModelData::Normal));
        QVERIFY(record->strFailReason.isEmpty());
        QVERIFY(record->isConvertedTo(ZtConfig::NewInstance()->getConvertFormat()));
    }
    for (const QString& path : qAsConst(m_broken)) {
        const HeicModelData* record = convertrun::rowOf(model, path);
        QVERIFY2(record != nullptr, qPrintable(path));
        QVERIFY2(record->nConvertState == HeicModelData::Failed, qPrintable(path));
        QVERIFY2(!record->strFailReason.isEmpty(), qPrintable(path));
        QVERIFY(!record->failReasonText().isEmpty());
    }
}

// The name of a file's index-th output of run 0 or 1 into one folder: name, name_1, ... and
// the second run goes on counting.
QString TestConvertRun::outputName(const Prepared& prepared, int index, const Choice& choice) {
    const QString base = QFileInfo(prepared.path).completeBaseName();
    const QString ext = convertrun::extension(choice.format);
    return index == 0 ? base + ext : base + "_" + QString::number(index) + ext;
}

void TestConvertRun::checkOutputs(const Choice& choice, int run) {
    const QString dir = convertrun::outputDir(choice);
    QStringList expected;
    for (const Prepared& prepared : qAsConst(m_good)) {
        const int images = prepared.sample.images;
        for (int image = 0; image < images; ++image) {
            expected << outputName(prepared, image, choice);
            const QString name = outputName(prepared, run * images + image, choice);
            if (run > 0) {
                expected << name;
            }
            checkOutput(prepared, image, choice, dir + name);
        }
    }
    expected.sort();
    QStringList written = convertrun::entries(dir);
    written.sort();
    QCOMPARE(written, expected);
}

// One output: readable whole, upright as the rule says, of the chosen size, with EXIF and colour
// profile exactly where they belong.
void TestConvertRun::checkOutput(const Prepared& prepared, int image, const Choice& choice,
                                 const QString& path) {
    const Sample& sample = prepared.sample;
    const QByteArray printed = QFile::encodeName(path);
    const char* name = printed.constData();
    QImageReader stored(path);
    stored.setAutoTransform(false);
    const QImage pixels = stored.read();
    QVERIFY2(!pixels.isNull(), name);
    const bool keepsExif = choice.format == JPG && choice.keepExif;
    const QSize pictured = keepsExif ? sample.stored : turned(sample.stored, sample.orientation);
    const QSize expected = scaledBy(pictured, convertrun::percent(choice.size));
    QVERIFY2(closeTo(pixels.size(), expected), qPrintable(QString("%1: %2x%3, not %4x%5")
                                                              .arg(path)
                                                              .arg(pixels.width())
                                                              .arg(pixels.height())
                                                              .arg(expected.width())
                                                              .arg(expected.height())));
    WrittenMetadata written;
    if (choice.format == BMP) {
        QVERIFY2(!pixels.hasAlphaChannel(), name);
    } else {
        written = writtenMetadata(path);
        QVERIFY2(written.read, name);
        const bool wantsExif = keepsExif && prepared.metadata.exif;
        QVERIFY2(written.exif == wantsExif, name);
        QVERIFY2(written.orientation == (wantsExif ? sample.orientation : 0), name);
        if (!prepared.metadata.icc.isEmpty()) {
            QVERIFY2(written.icc == prepared.metadata.icc, name);
        }
    }
    if (choice.format == PNG && QByteArray(sample.source).contains("RGBA")) {
        QVERIFY2(pixels.hasAlphaChannel(), name);
    }
    // Seen upright (EXIF orientation applied, as viewers do), the picture is libheif's.
    const QImage upright =
        enginetest::turnedSquare(enginetest::thumbnail(pixels), qMax(1, written.orientation));
    const double difference = enginetest::meanDifference(upright, prepared.reference.value(image));
    QVERIFY2(difference < 4.0, qPrintable(QString("%1 differs by %2").arg(path).arg(difference)));
}

void TestConvertRun::recordSizes(const QString& label, const Choice& choice, Sizes& sizes) {
    const QString dir = convertrun::outputDir(choice);
    for (const QString& name : convertrun::entries(dir)) {
        if (label != "again" || !sizes.contains("exif/" + name)) {
            sizes.insert(label + "/" + name, QFileInfo(dir + name).size());
        }
    }
}

PIXVUE_GUI_TEST_MAIN(TestConvertRun)
#include "tst_convertrun.moc"
