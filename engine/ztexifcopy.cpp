#include "ztexifcopy.h"

#include "ztlog.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

void initialiseExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

namespace {

void setDimension(Exiv2::ExifData& exif, const char* key, int value) {
    auto it = exif.findKey(Exiv2::ExifKey(key));
    if (it != exif.end()) {
        it->setValue(std::to_string(value));
    }
}

}  // namespace

bool copyExifInto(const QByteArray& exifTiff, QByteArray& target, QSize size) {
    if (exifTiff.isEmpty()) {
        return true;
    }
    initialiseExiv2();
    try {
        Exiv2::ExifData exif;
        const Exiv2::ByteOrder order = Exiv2::ExifParser::decode(
            exif, reinterpret_cast<const Exiv2::byte*>(exifTiff.constData()),
            uint32_t(exifTiff.size()));
        if (exif.empty()) {
            return true;  // nothing readable: the picture stays without EXIF
        }
        setDimension(exif, "Exif.Photo.PixelXDimension", size.width());
        setDimension(exif, "Exif.Photo.PixelYDimension", size.height());
        setDimension(exif, "Exif.Image.ImageWidth", size.width());
        setDimension(exif, "Exif.Image.ImageLength", size.height());

        Exiv2::Image::AutoPtr to = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(target.constData()), long(target.size()));
        to->readMetadata();
        to->setByteOrder(order);
        to->setExifData(exif);
        to->writeMetadata();

        Exiv2::BasicIo& io = to->io();
        QByteArray written(int(io.size()), Qt::Uninitialized);
        io.seek(0, Exiv2::BasicIo::beg);
        if (io.read(reinterpret_cast<Exiv2::byte*>(written.data()), long(written.size())) !=
            long(written.size())) {
            return false;
        }
        target.swap(written);
        return true;
    } catch (const Exiv2::AnyError& error) {
        LOG(ERROR) << "exiv2: " << error.what();
        return false;
    }
}
