#include "foundation/geometry.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

void rect_union(Rect* r1, const Rect& r2) {
    int64_t left = std::min<int64_t>(r1->x, r2.x);
    int64_t top = std::min<int64_t>(r1->y, r2.y);
    int64_t right = std::max(int64_t{r1->x} + r1->w, int64_t{r2.x} + r2.w);
    int64_t bottom = std::max(int64_t{r1->y} + r1->h, int64_t{r2.y} + r2.h);
    r1->x = clamp32(left);
    r1->y = clamp32(top);
    r1->w = clamp32(right - left);
    r1->h = clamp32(bottom - top);
}

void rect_normalize(Rect* out, const Rect& in) {
    Rect r = in;
    if (r.w < 0) {
        r.x = clamp32(int64_t{r.x} + r.w);
        r.w = clamp32(-int64_t{in.w});
    }
    if (r.h < 0) {
        r.y = clamp32(int64_t{r.y} + r.h);
        r.h = clamp32(-int64_t{in.h});
    }
    *out = r;
}
