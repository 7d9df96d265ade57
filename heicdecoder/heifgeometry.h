#pragma once

#include <libheif/heif.h>

// A rotation or mirror as a 2x2 matrix on screen coordinates (x right, y down).
struct Turn {
    int a = 1, b = 0, c = 0, d = 1;

    Turn then(const Turn& next) const {
        return {next.a * a + next.b * c, next.a * b + next.b * d, next.c * a + next.d * c,
                next.c * b + next.d * d};
    }
    bool swapsAxes() const { return a == 0; }
};

// The EXIF orientation (1..8) that asks for this turn.
int exifOrientationOf(const Turn& turn);

// The container's transformations of one image folded into one crop and one turn.
struct Geometry {
    int left = 0, top = 0, right = 0, bottom = 0;  // pixels cut from each stored edge
    Turn turn;                                     // stored -> as the container shows it
};

Geometry containerGeometry(heif_context* ctx, heif_item_id id, int storedWidth, int storedHeight);
