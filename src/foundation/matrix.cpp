#include "foundation/matrix.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The current matrix, the scratch matrix each elementary transform is built
// in, the unit hook and the no-scale flag.
struct MatrixState {
    Matrix current_matrix;
    Matrix scratch;  // each elementary transform is built here
    UnitModeFn unit_hook = nullptr;
    bool no_scale = false;
} matrices;

Matrix* or_current(Matrix* m) { return m ? m : &matrices.current_matrix; }
const Matrix* or_current(const Matrix* m) { return m ? m : &matrices.current_matrix; }

double determinant(const Matrix& t) { return t.m[0][0] * t.m[1][1] - t.m[0][1] * t.m[1][0]; }

int32_t to_int32(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(
        std::clamp(std::trunc(v), static_cast<double>(std::numeric_limits<int32_t>::min()),
                   static_cast<double>(std::numeric_limits<int32_t>::max())));
}

// The elementary transform with the given 2x2 block and offset, in the
// scratch matrix; its parity cell tells whether it mirrors, so that it
// composes correctly also as the left operand (the inverse's update).
Matrix& elementary(double m00, double m01, double m10, double m11, double dx, double dy) {
    matrices.scratch = Matrix{};
    matrices.scratch.m[0][0] = m00;
    matrices.scratch.m[0][1] = m01;
    matrices.scratch.m[1][0] = m10;
    matrices.scratch.m[1][1] = m11;
    matrices.scratch.m[2][0] = dx;
    matrices.scratch.m[2][1] = dy;
    matrices.scratch.m[2][2] = determinant(matrices.scratch) < 0 ? -1.0 : 1.0;
    return matrices.scratch;
}

// Exact quarter turns for codes 0..3; tenths of a degree beyond.
void rotation_of(int code, double* cosine, double* sine) {
    static const double quarter[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    if (code >= 0 && code <= 3) {
        *cosine = quarter[code][0];
        *sine = quarter[code][1];
        return;
    }
    int64_t tenths = (int64_t{code} - 3) % 3600;
    if (tenths < 0) tenths += 3600;
    double angle = static_cast<double>(tenths) * 6.28318 / 3600;  // not quite two pi
    *cosine = std::cos(angle);
    *sine = std::sin(angle);
}

bool metric_mode() { return matrices.unit_hook && matrices.unit_hook() == 1; }

}  // namespace

void matrix_identity(Matrix* matrix) { *or_current(matrix) = Matrix{}; }

void matrix_copy(Matrix* dest, const Matrix* src) { *or_current(dest) = *or_current(src); }

void matrix_multiply(Matrix* m, const Matrix* t) {
    Matrix& a = *or_current(m);
    const Matrix& b = *or_current(t);
    bool a_mirrored = a.m[2][2] < 0;
    bool b_mirrors = determinant(b) < 0;
    a.m[2][2] = 1.0;
    Matrix result;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j)
            result.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
    result.m[0][2] = result.m[1][2] = 0.0;
    result.m[2][2] = a_mirrored != b_mirrors ? -1.0 : 1.0;
    a = result;
}

void matrix_premultiply(Matrix* inverse, Matrix* t) {
    Matrix* target = or_current(inverse);
    matrix_multiply(t, target);
    *target = *or_current(t);
}

void matrix_translate_d(Matrix* matrix, double dx, double dy, Matrix* inverse) {
    matrix_multiply(matrix, &elementary(1, 0, 0, 1, dx, dy));
    if (inverse) matrix_premultiply(inverse, &elementary(1, 0, 0, 1, -dx, -dy));
}

void matrix_translate(Matrix* matrix, int32_t dx, int32_t dy, Matrix* inverse) {
    matrix_translate_d(matrix, dx, dy, inverse);
}

void matrix_scale(Matrix* matrix, double sx, double sy, Matrix* inverse) {
    matrix_multiply(matrix, &elementary(sx, 0, 0, sy, 0, 0));
    if (inverse && sx != 0 && sy != 0)
        matrix_premultiply(inverse, &elementary(1 / sx, 0, 0, 1 / sy, 0, 0));
}

void matrix_rotate(Matrix* matrix, int code, Matrix* inverse) {
    double c, s;
    rotation_of(code, &c, &s);
    matrix_multiply(matrix, &elementary(c, s, -s, c, 0, 0));
    if (inverse) matrix_premultiply(inverse, &elementary(c, -s, s, c, 0, 0));
}

void matrix_mirror(Matrix* matrix, int flag, Matrix* inverse) {
    if (flag)
        matrix_scale(matrix, 1, -1, inverse);
    else
        matrix_scale(matrix, -1, 1, inverse);
}

void matrix_apply(const Matrix* matrix, Point in, Point* out) {
    const Matrix& a = *or_current(matrix);
    double x = in.x * a.m[0][0] + in.y * a.m[1][0] + a.m[2][0];
    double y = in.x * a.m[0][1] + in.y * a.m[1][1] + a.m[2][1];
    out->x = to_int32(x);
    out->y = to_int32(y);
}

bool matrix_is_mirrored(const Matrix* matrix) { return or_current(matrix)->m[2][2] < 0; }

// --- coordinate units --------------------------------------------------------

int32_t units_to_metric(int32_t x) { return to_int32(static_cast<double>(x) * 25.4 / 10); }

int32_t units_from_metric(int32_t x) { return to_int32(static_cast<double>(x) * 10 / 25.4); }

int32_t coord_to_display(int32_t x) {
    if (metric_mode()) return units_to_metric(x);
    return matrices.no_scale ? x : x / 10;
}

int32_t coord_from_display(int32_t x) {
    if (metric_mode()) return units_from_metric(x);
    return matrices.no_scale ? x : to_int32(static_cast<double>(x) * 10);
}

int32_t user_to_world(int32_t value) { return coord_from_display(value); }

Point point_to_display(Point p) {
    return Point{coord_to_display(p.x), to_int32(-static_cast<double>(coord_to_display(p.y)))};
}

Point point_from_display(Point p) {
    return Point{coord_from_display(p.x), to_int32(-static_cast<double>(coord_from_display(p.y)))};
}

void set_unit_hook(UnitModeFn hook) { matrices.unit_hook = hook; }

void set_no_scale(bool flag) { matrices.no_scale = flag; }
