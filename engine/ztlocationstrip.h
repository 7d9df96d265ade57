#pragma once

#include <QByteArray>

// Takes the place where a photo was taken out of a JPEG file's metadata: the GPS tags of its
// EXIF and the location properties of its XMP (an XMP packet held in the EXIF joins the file's
// XMP). Every other tag and the pixels stay as they are. False when the metadata could not be
// rewritten; jpeg is then unchanged.
bool removeLocationFromJpeg(QByteArray& jpeg);
