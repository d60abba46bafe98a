#include "platform/core/HeifGeometry.h"

#include <QTransform>
#include <libheif/heif_items.h>
#include <libheif/heif_properties.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Handle = std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)>;

// More turns and crops than a camera writes; every reader of ours looks at this many.
constexpr int kMaxTransformations = 8;

bool refuse(QString *why, const QString &reason) {
    if (why)
        *why = reason;
    return false;
}

QString sizeText(qint64 width, qint64 height) {
    return QStringLiteral("%1 x %2").arg(width).arg(height);
}

// The items a grid is made of, in row order: its first "dimg" reference, as libheif takes it.
std::vector<heif_item_id> gridTiles(heif_context *ctx, heif_item_id grid) {
    std::vector<heif_item_id> tiles;
    for (int index = 0;; ++index) {
        uint32_t type = 0;
        heif_item_id *refs = nullptr;
        const size_t n = heif_context_get_item_references(ctx, grid, index, &type, &refs);
        if (n > 0 && type == heif_fourcc('d', 'i', 'm', 'g') && tiles.empty())
            tiles.assign(refs, refs + n);
        heif_release_item_references(ctx, &refs);
        if (n == 0)
            break;
    }
    return tiles;
}

// The grid of `image` (stored `width` x `height`) against its size box and its tiles.
bool gridSound(heif_context *ctx, heif_image_handle *image, qint64 width, qint64 height,
               QString *why) {
    heif_image_tiling tiling{};
    if (heif_image_handle_get_image_tiling(image, 0, &tiling).code != heif_error_Ok)
        return refuse(why, QStringLiteral("the HEIF image's grid cannot be read"));
    const qint64 columns = tiling.num_columns, rows = tiling.num_rows;
    const qint64 tileWidth = tiling.tile_width, tileHeight = tiling.tile_height;
    // Our decoders size the picture by the size box, libheif by the grid.
    if (tiling.image_width != width || tiling.image_height != height)
        return refuse(why, QStringLiteral("the HEIF image's size box says %1 but its grid makes %2")
                               .arg(sizeText(width, height),
                                    sizeText(tiling.image_width, tiling.image_height)));
    const std::vector<heif_item_id> tiles = gridTiles(ctx, heif_image_handle_get_item_id(image));
    if (columns < 1 || rows < 1 || qint64(tiles.size()) != columns * rows)
        return refuse(why, QStringLiteral("the HEIF image's grid has %1 x %2 places for %3 tiles")
                               .arg(columns)
                               .arg(rows)
                               .arg(tiles.size()));
    // Every tile must start inside the picture and together they must cover it.
    if (tileWidth <= 0 || tileHeight <= 0 || (columns - 1) * tileWidth >= width ||
        (rows - 1) * tileHeight >= height || columns * tileWidth < width ||
        rows * tileHeight < height)
        return refuse(why, QStringLiteral("the HEIF image's grid of tiles does not fit it "
                                          "(%1 x %2 tiles of %3 pixels for %4)")
                               .arg(columns)
                               .arg(rows)
                               .arg(sizeText(tileWidth, tileHeight), sizeText(width, height)));
    // Each tile is placed by the first one's size.
    heif_chroma chroma = heif_chroma_undefined;
    for (size_t i = 0; i < tiles.size(); ++i) {
        heif_image_handle *raw = nullptr;
        if (heif_context_get_image_handle(ctx, tiles[i], &raw).code != heif_error_Ok || !raw)
            return refuse(why, QStringLiteral("the HEIF image's grid names a tile that is no "
                                              "image"));
        const Handle tile(raw, heif_image_handle_release);
        if (heif_image_handle_get_ispe_width(raw) != tileWidth ||
            heif_image_handle_get_ispe_height(raw) != tileHeight ||
            heif_image_handle_get_width(raw) != tileWidth ||
            heif_image_handle_get_height(raw) != tileHeight)
            return refuse(why, QStringLiteral("the HEIF image's tiles are not all %1")
                                   .arg(sizeText(tileWidth, tileHeight)));
        heif_colorspace space = heif_colorspace_undefined;
        if (i == 0 &&
            heif_image_handle_get_preferred_decoding_colorspace(raw, &space, &chroma).code !=
                heif_error_Ok)
            chroma = heif_chroma_undefined;
    }
    // A colour sample covers two pixels across (4:2:0, 4:2:2) and two down (4:2:0): a tile
    // that starts on an odd pixel gets its colour shifted, and libheif then writes a row past
    // the colour plane.
    const bool fullWidth = chroma == heif_chroma_444 || chroma == heif_chroma_monochrome;
    const bool fullHeight = fullWidth || chroma == heif_chroma_422;
    if ((columns > 1 && !fullWidth && tileWidth % 2 != 0) ||
        (rows > 1 && !fullHeight && tileHeight % 2 != 0))
        return refuse(why, QStringLiteral("the HEIF image's tiles of %1 start on odd pixels")
                               .arg(sizeText(tileWidth, tileHeight)));
    return true;
}

} // namespace

bool heifGeometrySound(heif_context *ctx, heif_image_handle *image, QString *why) {
    qint64 width = heif_image_handle_get_ispe_width(image);
    qint64 height = heif_image_handle_get_ispe_height(image);
    if (width <= 0 || height <= 0)
        return refuse(why, QStringLiteral("the HEIF image declares no size"));
    const heif_item_id id = heif_image_handle_get_item_id(image);
    if (heif_item_get_item_type(ctx, id) == heif_fourcc('g', 'r', 'i', 'd') &&
        !gridSound(ctx, image, width, height, why))
        return false;
    heif_property_id props[kMaxTransformations];
    if (heif_item_get_transformation_properties(ctx, id, nullptr, 0) > kMaxTransformations)
        return refuse(why, QStringLiteral("the HEIF image has too many turns and crops"));
    const int n = heif_item_get_transformation_properties(ctx, id, props, kMaxTransformations);
    for (int i = 0; i < n; ++i) {
        const heif_item_property_type type = heif_item_get_property_type(ctx, id, props[i]);
        if (type == heif_item_property_type_transform_rotation &&
            heif_item_get_property_transform_rotation_ccw(ctx, id, props[i]) % 180 != 0)
            std::swap(width, height);
        if (type != heif_item_property_type_transform_crop)
            continue;
        int left = -1, top = -1, right = -1, bottom = -1;
        heif_item_get_property_transform_crop_borders(ctx, id, props[i], int(width), int(height),
                                                      &left, &top, &right, &bottom);
        if (left < 0 || top < 0 || right < 0 || bottom < 0 || qint64(left) + right >= width ||
            qint64(top) + bottom >= height)
            return refuse(why, QStringLiteral("the HEIF image's crop reaches outside it"));
        width -= left + right;
        height -= top + bottom;
    }
    // libheif rounds a fractional crop one way for the size it declares, another for the pixels.
    if (width != heif_image_handle_get_width(image) ||
        height != heif_image_handle_get_height(image))
        return refuse(
            why, QStringLiteral("the HEIF image's turns and crop make it %1, not the %2 "
                                "it declares")
                     .arg(sizeText(width, height), sizeText(heif_image_handle_get_width(image),
                                                            heif_image_handle_get_height(image))));
    return true;
}

bool heifCropped(heif_context *ctx, heif_image_handle *image) {
    const heif_item_id id = heif_image_handle_get_item_id(image);
    return heif_item_get_properties_of_type(ctx, id, heif_item_property_type_transform_crop,
                                            nullptr, 0) > 0;
}

heif_error heifDecode(heif_context *ctx, heif_image_handle *image, heif_colorspace colorspace,
                      heif_chroma chroma, heif_image **decoded) {
    const std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    options->ignore_transformations = heifCropped(ctx, image);
    return heif_decode_image(image, decoded, colorspace, chroma, options.get());
}

bool heifDecodedAsDeclared(heif_context *ctx, heif_image_handle *image, const heif_image *decoded,
                           QString *why) {
    const bool stored = heifCropped(ctx, image);
    const int width = heif_image_get_primary_width(decoded);
    const int height = heif_image_get_primary_height(decoded);
    const int declaredWidth =
        stored ? heif_image_handle_get_ispe_width(image) : heif_image_handle_get_width(image);
    const int declaredHeight =
        stored ? heif_image_handle_get_ispe_height(image) : heif_image_handle_get_height(image);
    if (width == declaredWidth && height == declaredHeight)
        return true;
    return refuse(why, QStringLiteral("the HEIF image decodes to %1 pixels, not the %2 it declares")
                           .arg(sizeText(width, height), sizeText(declaredWidth, declaredHeight)));
}

QImage heifTransformed(heif_context *ctx, heif_image_handle *image, QImage stored) {
    const heif_item_id id = heif_image_handle_get_item_id(image);
    int width = heif_image_handle_get_ispe_width(image);
    int height = heif_image_handle_get_ispe_height(image);
    heif_property_id props[kMaxTransformations];
    const int n = heif_item_get_transformation_properties(ctx, id, props, kMaxTransformations);
    for (int i = 0; i < n && !stored.isNull() && width > 0 && height > 0; ++i) {
        switch (heif_item_get_property_type(ctx, id, props[i])) {
        case heif_item_property_type_transform_crop: {
            int left = 0, top = 0, right = 0, bottom = 0;
            heif_item_get_property_transform_crop_borders(ctx, id, props[i], width, height, &left,
                                                          &top, &right, &bottom);
            const double sx = double(stored.width()) / width;
            const double sy = double(stored.height()) / height;
            width -= left + right;
            height -= top + bottom;
            if (width <= 0 || height <= 0)
                return {};
            stored = stored.copy(int(left * sx), int(top * sy), std::max(1, int(width * sx + 0.5)),
                                 std::max(1, int(height * sy + 0.5)));
            break;
        }
        case heif_item_property_type_transform_rotation: {
            const int ccw = heif_item_get_property_transform_rotation_ccw(ctx, id, props[i]);
            if (ccw % 180 != 0)
                std::swap(width, height);
            // QTransform turns clockwise on screen.
            stored = stored.transformed(QTransform().rotate(-ccw));
            break;
        }
        case heif_item_property_type_transform_mirror: {
            const heif_transform_mirror_direction direction =
                heif_item_get_property_transform_mirror(ctx, id, props[i]);
            stored = stored.mirrored(direction == heif_transform_mirror_direction_horizontal,
                                     direction == heif_transform_mirror_direction_vertical);
            break;
        }
        default:
            break;
        }
    }
    return stored;
}
