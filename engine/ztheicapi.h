#pragma once

#include "cimagedata.h"
#include "ztconfig.h"
#include "ztheicapi_global.h"

#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>

#include <list>

// The conversion engine: a process-wide store of decoded HEIC files (JPEG streams at the picture
// quality of their collection) within a memory budget, previews, and conversion of one HEIC file
// into JPG, PNG or BMP files. Every output is one encoding away from the decoded pixels: a stored
// stream is written only where it is exactly the output (JPG at 100 % with EXIF kept, at the same
// quality); everything else is encoded once from freshly decoded pixels. The store may be filled
// by one thread while others preview and convert.
class ZTHEICAPI_EXPORT ZtHeicAPI {
public:
    // Why the last conversion of an engine object failed.
    enum class Failure {
        None,
        NotAPicture,           // neither HEIF nor another picture format
        Damaged,               // a HEIF file that is damaged, truncated or empty
        Unreadable,            // the source cannot be read
        TooLarge,              // more pixels than the decoder takes
        OutOfMemory,           // memory ran out while decoding or encoding
        PictureSizeZero,       // the picture size setting leaves no pixels
        OutputNotWritable,     // the output folder cannot be written
        DiskFull,              // the output folder's disk has no room
        ExifNotWritten,        // the picture was written but its EXIF could not be
        CodingNotSupported,    // no installed decoder takes the picture's coding
        SequenceNotSupported,  // an image sequence (animation) without a still picture
    };

    // The choices a conversion is made with.
    struct Settings {
        ConvertFormat format = JPG;
        bool keepExif = true;
        int sizePercent = 100;       // of the picture's width and height
        int quality = 100;           // percent
        bool stripLocation = false;  // GPS tags and XMP location left out of the outputs
        bool overwrite = false;      // an existing output of the plain name is replaced
    };
    // The choices of the settings store at this moment.
    static Settings currentSettings();

    ZtHeicAPI() = default;
    ZtHeicAPI(const ZtHeicAPI& other) = default;
    ZtHeicAPI& operator=(const ZtHeicAPI& other);
    ZtHeicAPI& operator=(ZtHeicAPI&& other) noexcept;

    // Writes every image of the HEIC file at sourcePath into outputDir (which ends with a
    // separator) in the format, size and quality of the settings. True when all were written.
    // A file that is no HEIF but a picture Qt reads is converted too. Outputs keep the source's
    // modification time.
    bool convertHeicFormat(const QString& sourcePath, const QString& outputDir);
    // The same with the given choices, for callers that convert many files with one set.
    // Several threads may convert at once: each output gets a name no other takes meanwhile.
    bool convertHeicFormat(const QString& sourcePath, const QString& outputDir,
                           const Settings& settings);

    // Pixels of the largest picture of a HEIF file, read from its header without decoding;
    // 0 when that cannot be read.
    static quint64 picturePixels(const QString& path);

    Failure lastFailure() const { return m_eLastFailure; }
    // The files the last conversion of this object wrote.
    const QStringList& lastOutputs() const { return m_lastOutputs; }
    // The failure in plain English words, for logs and as the source text of translations.
    static const char* failureText(Failure failure);
    // The extension of the format's outputs, with its dot: ".jpg", ".png" or ".bmp".
    static QString outputExtension(ConvertFormat format);

    // Decoding threads per file (0: one per core). Callers that convert several files at once
    // share the cores out with this.
    static void setDecoderThreads(int threads);
    // Has the C library's allocator keep the pages of the decoder's many short-lived tile and
    // frame buffers for the next ones instead of mapping fresh, zeroed pages for each. Called
    // once at the start of a program that converts, before its threads start.
    static void setUpAllocator();

    int getSuccessfulNum() const { return m_nSuccessfulNum; }
    void setSuccessfulNum(int count) { m_nSuccessfulNum = count; }

    // Decodes the file into the store, at the current picture quality, unless it is there
    // already or the budget is spent.
    bool collectHeicPicDataToMap(const QString& path);
    bool isExceedMemoryLimit();
    // The store's budget in megabytes, as this object checks it (tests use a small one).
    static constexpr double kMemoryBudgetMb = 500.0;
    void setMemoryBudgetMb(double megabytes) { m_dMemoryBudgetMb = megabytes; }
    // The file's first image, upright, from the store or decoded for this call.
    bool getShowImg(const QString& path, QImage* out);

    static void releaseSpecifiedMapData(const QString& path);
    static void releaseAllMapData();
    static void initMapData();

    // Megabytes held by the store.
    static double m_nUsedMemorySize;

private:
    QString getConvertedFileName(const QString& sourcePath, const QString& outputDir,
                                 ConvertFormat format);

    static QMap<QString, std::list<CImageData>> m_mapHeicPicData;

    int m_nSuccessfulNum = 0;
    Failure m_eLastFailure = Failure::None;
    QStringList m_lastOutputs;
    double m_dMemoryBudgetMb = kMemoryBudgetMb;
};
