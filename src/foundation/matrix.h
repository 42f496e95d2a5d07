#pragma once
// Affine 3x3 matrices for every placement of drawn objects, and the
// conversions between internal coordinates and displayed units.
//
// Points are row vectors (x, y, 1): x' = x*m00 + y*m10 + m20 and
// y' = x*m01 + y*m11 + m21. The third column is not general: m02 = m12 = 0
// and m22 holds the mirror parity (+1, or -1 when the matrix mirrors), so
// drawing code can ask whether a shape comes out mirrored.
//
// Every operation takes its matrix first; none means the one process-wide
// current matrix (callers set it to identity, build a transform, then map
// many points with a none matrix). The builders take an optional inverse
// last: when given, the inverse transform is pre-multiplied into it so that
// after any sequence of calls the inverse maps back what the matrix maps.
#include <cstdint>

#include "foundation/geometry.h"

struct Matrix {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};  // [row][column]
};

void matrix_identity(Matrix* matrix);
void matrix_copy(Matrix* dest, const Matrix* src);
// M = M x T(dx, dy); inverse = T(-dx, -dy) x inverse.
void matrix_translate(Matrix* matrix, int32_t dx, int32_t dy, Matrix* inverse = nullptr);
void matrix_translate_d(Matrix* matrix, double dx, double dy, Matrix* inverse = nullptr);
// M = M x S(sx, sy); inverse = S(1/sx, 1/sy) x inverse. A zero factor has no
// inverse: the inverse is then left as it was.
void matrix_scale(Matrix* matrix, double sx, double sy, Matrix* inverse = nullptr);
// Rotation codes 0..3 turn exactly by 0, 90, 180, 270 degrees counter-
// clockwise (y axis up); a code c of 4 or more turns by (c - 3) tenths of a
// degree, modulo a full turn. (A negative code, never produced by the system,
// turns clockwise by (3 - c) tenths.)
void matrix_rotate(Matrix* matrix, int code, Matrix* inverse = nullptr);
// flag non-zero: mirror top to bottom, S(1, -1); zero: left to right, S(-1, 1).
void matrix_mirror(Matrix* matrix, int flag, Matrix* inverse = nullptr);
// M = M x T. The result mirrors when exactly one of M (its parity cell) and
// T (the sign of its 2x2 determinant) does.
void matrix_multiply(Matrix* m, const Matrix* t);
// inverse = T x inverse, computed in T (which holds the product afterwards).
void matrix_premultiply(Matrix* inverse, Matrix* t);
// Maps an integer point; each coordinate is computed in double and truncated
// toward zero (clamped to the 32-bit range). `in` and `out` may be the same.
void matrix_apply(const Matrix* matrix, Point in, Point* out);
bool matrix_is_mirrored(const Matrix* matrix);

// --- coordinate units --------------------------------------------------------
// Internal coordinates are 32-bit integers. In metric mode a displayed value
// is the internal value x 25.4 / 10; otherwise it is the internal value, or
// a tenth of it while the no-scale flag is clear.
int32_t units_to_metric(int32_t x);    // trunc(x * 25.4 / 10)
int32_t units_from_metric(int32_t x);  // trunc(x * 10 / 25.4)
int32_t coord_to_display(int32_t x);
int32_t coord_from_display(int32_t x);
// A coordinate the user typed, in world units: converted from the metric
// display when the unit hook says so, else times 10 unless the no-scale
// flag is set (then unchanged).
int32_t user_to_world(int32_t value);
// Both coordinates converted, then y negated (the display's y axis points up).
Point point_to_display(Point p);
Point point_from_display(Point p);

// The routine that tells the unit mode (1 = metric); none installs the
// default, which answers 0.
using UnitModeFn = int (*)();
void set_unit_hook(UnitModeFn hook);
void set_no_scale(bool no_scale);
