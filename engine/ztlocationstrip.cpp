#include "ztlocationstrip.h"

#include "ztexifcopy.h"
#include "ztlog.h"

#include <exiv2/exiv2.hpp>

#include <string>

namespace {

// XMP properties that tell where a photo was taken, as prefixes of their keys.
const char* const kXmpLocationKeys[] = {
    "Xmp.exif.GPS",
    "Xmp.exifEX.GPS",
    "Xmp.photoshop.City",
    "Xmp.photoshop.State",
    "Xmp.photoshop.Country",
    "Xmp.Iptc4xmpCore.Location",
    "Xmp.Iptc4xmpCore.CountryCode",
    "Xmp.Iptc4xmpExt.LocationCreated",
    "Xmp.Iptc4xmpExt.LocationShown",
    "Xmp.drone-dji.GpsLatitude",
    "Xmp.drone-dji.GpsLongitude",
    "Xmp.drone-dji.GpsAltitude",
    "Xmp.drone-dji.AbsoluteAltitude",
    "Xmp.drone-dji.RelativeAltitude",
};

bool isXmpLocation(const std::string& key) {
    for (const char* prefix : kXmpLocationKeys) {
        if (key.compare(0, std::string(prefix).size(), prefix) == 0) {
            return true;
        }
    }
    return false;
}

// True when some property was removed.
bool eraseXmpLocation(Exiv2::XmpData& xmp) {
    bool erased = false;
    for (auto it = xmp.begin(); it != xmp.end();) {
        if (isXmpLocation(it->key())) {
            it = xmp.erase(it);
            erased = true;
        } else {
            ++it;
        }
    }
    return erased;
}

bool eraseGps(Exiv2::ExifData& exif) {
    bool erased = false;
    for (auto it = exif.begin(); it != exif.end();) {
        if (it->groupName() == "GPSInfo" || it->key() == "Exif.Image.GPSTag") {
            it = exif.erase(it);
            erased = true;
        } else {
            ++it;
        }
    }
    return erased;
}

// An XMP packet carried in the EXIF's XMLPacket tag, which exiv2 does not write into a JPEG:
// its properties join the file's XMP (where the location is then taken out). True when there
// was one.
bool moveEmbeddedXmp(Exiv2::ExifData& exif, Exiv2::XmpData& xmp) {
    auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.XMLPacket"));
    if (it == exif.end()) {
        return false;
    }
    std::string packet(it->size(), '\0');
    it->copy(reinterpret_cast<Exiv2::byte*>(&packet[0]), Exiv2::invalidByteOrder);
    exif.erase(it);
    Exiv2::XmpData embedded;
    if (Exiv2::XmpParser::decode(embedded, packet) == 0) {
        for (const Exiv2::Xmpdatum& datum : embedded) {
            if (xmp.findKey(Exiv2::XmpKey(datum.key())) == xmp.end()) {
                xmp.add(datum);
            }
        }
    }
    return true;
}

QByteArray contentsOf(Exiv2::BasicIo& io) {
    QByteArray bytes(int(io.size()), Qt::Uninitialized);
    io.seek(0, Exiv2::BasicIo::beg);
    if (io.read(reinterpret_cast<Exiv2::byte*>(bytes.data()), long(bytes.size())) !=
        long(bytes.size())) {
        return QByteArray();
    }
    return bytes;
}

}  // namespace

bool removeLocationFromJpeg(QByteArray& jpeg) {
    initialiseExiv2();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte*>(jpeg.constData()), long(jpeg.size()));
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        Exiv2::XmpData xmp = image->xmpData();
        const bool exifChanged = eraseGps(exif) | moveEmbeddedXmp(exif, xmp);
        const bool xmpChanged = eraseXmpLocation(xmp);
        if (!exifChanged && !xmpChanged) {
            return true;
        }
        image->setExifData(exif);
        image->setXmpData(xmp);
        image->writeMetadata();
        QByteArray written = contentsOf(image->io());
        if (written.isEmpty()) {
            return false;
        }
        jpeg.swap(written);
        return true;
    } catch (const Exiv2::AnyError& error) {
        LOG(ERROR) << "exiv2: " << error.what();
        return false;
    }
}
