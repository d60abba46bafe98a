#include "platform/core/HeifGeometry.h"

#include <libheif/heif.h>
#include <libheif/heif_items.h>
#include <libheif/heif_properties.h>

#include <utility>

namespace {

bool refuse(QString *why, const QString &reason) {
    if (why)
        *why = reason;
    return false;
}

} // namespace

bool heifGeometrySound(heif_context *ctx, heif_image_handle *image, QString *why) {
    qint64 width = heif_image_handle_get_ispe_width(image);
    qint64 height = heif_image_handle_get_ispe_height(image);
    heif_image_tiling tiling{};
    if (heif_image_handle_get_image_tiling(image, 0, &tiling).code == heif_error_Ok &&
        (tiling.num_columns > 1 || tiling.num_rows > 1)) {
        // Every tile must start inside the picture and together they must cover it.
        const quint64 columns = tiling.num_columns, rows = tiling.num_rows;
        if (tiling.tile_width == 0 || tiling.tile_height == 0 ||
            (columns - 1) * tiling.tile_width >= tiling.image_width ||
            (rows - 1) * tiling.tile_height >= tiling.image_height ||
            columns * tiling.tile_width < tiling.image_width ||
            rows * tiling.tile_height < tiling.image_height)
            return refuse(why, QStringLiteral("the HEIF image's grid of tiles does not fit it "
                                              "(%1 x %2 tiles of %3 x %4 pixels for %5 x %6)")
                                   .arg(columns)
                                   .arg(rows)
                                   .arg(tiling.tile_width)
                                   .arg(tiling.tile_height)
                                   .arg(tiling.image_width)
                                   .arg(tiling.image_height));
    }
    const heif_item_id id = heif_image_handle_get_item_id(image);
    heif_property_id props[8];
    const int n = heif_item_get_transformation_properties(ctx, id, props, 8);
    for (int i = 0; i < n; ++i) {
        const heif_item_property_type type = heif_item_get_property_type(ctx, id, props[i]);
        if (type == heif_item_property_type_transform_rotation &&
            heif_item_get_property_transform_rotation_ccw(ctx, id, props[i]) % 180 != 0)
            std::swap(width, height);
        if (type != heif_item_property_type_transform_crop)
            continue;
        int left = -1, top = -1, right = -1, bottom = -1;
        if (width > 0 && height > 0)
            heif_item_get_property_transform_crop_borders(
                ctx, id, props[i], int(width), int(height), &left, &top, &right, &bottom);
        if (left < 0 || top < 0 || right < 0 || bottom < 0 || qint64(left) + right >= width ||
            qint64(top) + bottom >= height)
            return refuse(why, QStringLiteral("the HEIF image's crop reaches outside it"));
        width -= left + right;
        height -= top + bottom;
    }
    return true;
}
