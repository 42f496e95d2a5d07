// Placed images: a bitmap on the sheet, turned and mirrored by its flags.
#include "model/documents/image.h"

#include <algorithm>
#include <cstdlib>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

const char* const ROTATION_WORDS[8] = {nullptr,   "ROT_90 ",  "ROT_180 ", "ROT_270 ",
                                       "ROT_45 ", "ROT_135 ", "ROT_225 ", "ROT_315 "};

// Codes 0..3 are quarter turns; 4..7 turn by 45, 135, 225 and 315 degrees
// (matrix_rotate takes those in tenths of a degree offset by 3), as texts do.
int matrix_rotation(int code) { return code < 4 ? code : (code - 4) * 900 + 450 + 3; }

}  // namespace

Image* as_Image(SchItem* item) { return checked_as<Image>(item, IMAGE_ITEM); }
const Image* as_Image(const SchItem* item) { return checked_as<Image>(item, IMAGE_ITEM); }

Image* new_Image() { return make<Image>(IMAGE_ITEM); }

void free_Image(Image* image, bool keep_storage) {
    if (!image || image->type != IMAGE_ITEM) return;
    image_free_dib(image);
    std::free(image->file_name);
    image->file_name = nullptr;
    release(image, keep_storage);
}

int read_Image(Image* image, FILE* stream) {
    int result = read_item_tag(stream, IMAGE_TAG);
    if (result != 0) return result;
    result = read_byte(&image->flags, stream);
    result |= read_point(&image->pos, stream);
    result |= read_size(&image->size, stream);
    if (result != 0) return -1;
    std::free(image->file_name);
    image->file_name = nullptr;
    if (read_string_dup(&image->file_name, stream) != 0) return -1;
    image->type = IMAGE_ITEM;
    image->state = STATE_NEW;
    image->changed = 0;
    // A bitmap that cannot be read leaves the stream at an unknown place:
    // the record fails rather than mislead the readers after it.
    result = image_read_dib(image, stream);
    if (result != 0) return result;
    return read_item_id(image, stream);
}

void write_Image(Image* image, FILE* stream, uint32_t mask) {
    if (!mask_matches(image->state, mask)) return;
    write_byte(IMAGE_TAG, stream);
    write_byte(image->flags, stream);
    write_point(image->pos, stream);
    write_size(image->size, stream);
    write_string_or_empty(image->file_name, stream);
    image_write_dib(image, stream);  // a failed write leaves the stream's error flag
    write_item_id(image, stream);
}

void awrite_Image(Image* image, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(IMAGE ", stream);
    if (image_format(image) == IMAGE_FORMAT_BMP) std::fputs("BMP ", stream);
    write_POS(image->pos, stream, -1);
    write_SIZE(image->size.x, image->size.y, stream, -1);
    if (image->flags & MX) std::fputs("MX ", stream);
    if (image->flags & MY) std::fputs("MY ", stream);
    if (const char* word = ROTATION_WORDS[image->flags & IMAGE_ROT_MASK]) std::fputs(word, stream);
    std::fprintf(stream, "%s ", quote_string(image->file_name ? image->file_name : "").c_str());
    std::fputs(" )", stream);
    put_newline(stream);
    image_save_file(image);
}

void matrix_Image(Image* image, const Matrix* matrix) {
    matrix_apply(matrix, image->pos, &image->pos);
}

bool bounds_Image(Schema*, Image* image, Rect* rect, bool accumulate) {
    Matrix m;
    if (image->flags & MX) matrix_mirror(&m, 1);
    if (image->flags & MY) matrix_mirror(&m, 0);
    matrix_rotate(&m, matrix_rotation(image->flags & IMAGE_ROT_MASK));
    matrix_translate(&m, image->pos.x, image->pos.y);
    // All four corners: at quarter turns two opposite ones give the same box.
    const Point corners[4] = {
        {0, 0}, {image->size.x, image->size.y}, {image->size.x, 0}, {0, image->size.y}};
    int64_t xmin = INT64_MAX, ymin = INT64_MAX, xmax = INT64_MIN, ymax = INT64_MIN;
    for (Point c : corners) {
        Point q;
        matrix_apply(&m, c, &q);
        xmin = std::min<int64_t>(xmin, q.x);
        xmax = std::max<int64_t>(xmax, q.x);
        ymin = std::min<int64_t>(ymin, q.y);
        ymax = std::max<int64_t>(ymax, q.y);
    }
    return put_bounds(rect, make_rect(xmin, ymin, xmax - xmin, ymax - ymin), accumulate);
}

void flag_Image(Image* image) { flagop_apply(&image->state); }

double distance_Image(Schema* doc, Image* image, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit) {
    if (!mask_matches(image->state, mask)) return FAR_AWAY;
    Rect bounds;
    bounds_Image(doc, image, &bounds, false);
    double d = 0;
    if (rect_edge_distance(p, &d, bounds, tolerance) != RECT_EDGE_FAR) d = 0;
    return mark_hit(image, d, tolerance, hit_bit);
}

bool select_Image(Schema* doc, View* view, Image* image, uint32_t bit, int operation,
                  uint32_t mask) {
    if (!may_pick(view, image, mask)) return false;
    Rect bounds;
    bounds_Image(doc, image, &bounds, false);
    if (!view_rect_in_select(view, bounds)) return false;
    mark_picked(image, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Image* copy_Image(const Image* image) {
    Image* copy = duplicate(image);
    if (!copy) return nullptr;
    copy->file_name = image->file_name ? str_dup(image->file_name) : nullptr;
    copy->bitmap = image_copy_dib(image);
    return copy;
}
