#pragma once

#include "cimagedata.h"
#include "ztheicapi_global.h"

#include <QImage>
#include <QMap>
#include <QString>

#include <list>

// The conversion engine: a process-wide store of decoded HEIC files (JPEG streams) within a
// memory budget, previews, and conversion of one HEIC file into JPG, PNG or BMP files.
// The store may be filled by one thread while others preview and convert.
class ZTHEICAPI_EXPORT ZtHeicAPI {
public:
    ZtHeicAPI() = default;
    ZtHeicAPI(const ZtHeicAPI& other) = default;
    ZtHeicAPI& operator=(const ZtHeicAPI& other);
    ZtHeicAPI& operator=(ZtHeicAPI&& other) noexcept;

    // Writes every image of the HEIC file at sourcePath into outputDir (which ends with a
    // separator) in the format, size and quality of the settings. True when all were written.
    bool convertHeicFormat(const QString& sourcePath, const QString& outputDir);

    int getSuccessfulNum() const { return m_nSuccessfulNum; }
    void setSuccessfulNum(int count) { m_nSuccessfulNum = count; }

    // Decodes the file into the store unless it is there already or the budget is spent.
    bool collectHeicPicDataToMap(const QString& path);
    bool isExceedMemoryLimit();
    // The file's first image, upright, from the store or decoded for this call.
    bool getShowImg(const QString& path, QImage* out);

    static void releaseSpecifiedMapData(const QString& path);
    static void releaseAllMapData();
    static void initMapData();

    // Megabytes held by the store.
    static double m_nUsedMemorySize;

private:
    QString getConvertedFileName(const QString& sourcePath, const QString& outputDir);

    static QMap<QString, std::list<CImageData>> m_mapHeicPicData;

    int m_nSuccessfulNum = 0;
};
