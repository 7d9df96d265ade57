#include "zticcembed.h"

bool isRgbProfile(const QByteArray& icc) {
    return icc.size() >= 128 && icc.mid(16, 4) == "RGB ";
}
