#pragma once

#include <QByteArray>

// The largest colour profile a JPEG carries: 255 APP2 segments of 65,519 bytes each.
constexpr int kMaxJpegIccBytes = 255 * 65519;

// Whether the profile is one for RGB pictures, the only kind the outputs carry.
bool isRgbProfile(const QByteArray& icc);
