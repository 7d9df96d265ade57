#include "heifgeometry.h"

#include <libheif/heif_properties.h>

#include <algorithm>
#include <vector>

namespace {

// The turn that each EXIF orientation asks for to make the stored picture upright.
const Turn kExifTurns[9] = {
    {},           {1, 0, 0, 1},  {-1, 0, 0, 1},  {-1, 0, 0, -1}, {1, 0, 0, -1},
    {0, 1, 1, 0}, {0, -1, 1, 0}, {0, -1, -1, 0}, {0, 1, -1, 0}};

Turn rotationCcw(int degrees) {
    switch (degrees) {
        case 90:
            return kExifTurns[8];
        case 180:
            return kExifTurns[3];
        case 270:
            return kExifTurns[6];
        default:
            return {};
    }
}

Turn mirror(heif_transform_mirror_direction direction) {
    if (direction == heif_transform_mirror_direction_horizontal) {
        return kExifTurns[2];
    }
    return direction == heif_transform_mirror_direction_vertical ? kExifTurns[4] : Turn{};
}

// Adds a crop given in the turned picture's coordinates (left, right, top, bottom) to the
// stored edges.
void addCrop(Geometry& geo, const int borders[4]) {
    const int dirs[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        // The inverse of an orthogonal turn is its transpose.
        const int sx = geo.turn.a * dirs[i][0] + geo.turn.c * dirs[i][1];
        const int sy = geo.turn.b * dirs[i][0] + geo.turn.d * dirs[i][1];
        int& edge = sx < 0 ? geo.left : sx > 0 ? geo.right : sy < 0 ? geo.top : geo.bottom;
        edge += std::max(0, borders[i]);
    }
}

void applyCrop(Geometry& geo, heif_context* ctx, heif_item_id id, heif_property_id prop,
               int storedWidth, int storedHeight) {
    const int w = storedWidth - geo.left - geo.right;
    const int h = storedHeight - geo.top - geo.bottom;
    const int shownWidth = geo.turn.swapsAxes() ? h : w;
    const int shownHeight = geo.turn.swapsAxes() ? w : h;
    if (shownWidth <= 0 || shownHeight <= 0) {
        return;  // nothing left to crop (libheif asserts on an empty picture)
    }
    int l = 0, t = 0, r = 0, b = 0;
    heif_item_get_property_transform_crop_borders(ctx, id, prop, shownWidth, shownHeight, &l, &t,
                                                  &r, &b);
    const int borders[4] = {l, r, t, b};
    addCrop(geo, borders);
}

}  // namespace

int exifOrientationOf(const Turn& turn) {
    for (int code = 1; code <= 8; ++code) {
        const Turn& t = kExifTurns[code];
        if (t.a == turn.a && t.b == turn.b && t.c == turn.c && t.d == turn.d) {
            return code;
        }
    }
    return 1;
}

Geometry containerGeometry(heif_context* ctx, heif_item_id id, int storedWidth, int storedHeight) {
    Geometry geo;
    const int count = heif_item_get_transformation_properties(ctx, id, nullptr, 0);
    if (count <= 0) {
        return geo;
    }
    std::vector<heif_property_id> props(static_cast<size_t>(count));
    heif_item_get_transformation_properties(ctx, id, props.data(), count);
    for (heif_property_id prop : props) {
        switch (heif_item_get_property_type(ctx, id, prop)) {
            case heif_item_property_type_transform_rotation:
                geo.turn = geo.turn.then(
                    rotationCcw(heif_item_get_property_transform_rotation_ccw(ctx, id, prop)));
                break;
            case heif_item_property_type_transform_mirror:
                geo.turn =
                    geo.turn.then(mirror(heif_item_get_property_transform_mirror(ctx, id, prop)));
                break;
            case heif_item_property_type_transform_crop:
                applyCrop(geo, ctx, id, prop, storedWidth, storedHeight);
                break;
            default:
                break;
        }
    }
    return geo;
}
