#pragma once

#include <QByteArray>

// Puts an RGB colour profile into encoded pictures; an empty profile, or one that is not for
// RGB data, leaves them as they are. False when the picture's bytes are not as expected.
bool embedJpegIcc(QByteArray& jpeg, const QByteArray& icc);

// Whether the profile is one for RGB pictures, the only kind the outputs carry.
bool isRgbProfile(const QByteArray& icc);
