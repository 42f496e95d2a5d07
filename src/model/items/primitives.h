#pragma once
// The per-code routines of the non-text graphic primitives: fill, circle,
// rectangle (Boite, routines *_Rect), line, arc, junction and polyline.
// Callers normally reach them through the Item dispatchers of item.h; the
// shapes are the same for every kind:
//
//   new_X()                       record with the creation defaults, or null
//   free_X(x, keep_storage)       frees what x owns, then x unless keep_storage
//   read_X(x, stream)             0, -1 short read, READ_ERROR, NO_MEMORY, or
//                                 NOT_MY_TAG with the tag byte pushed back
//   write_X(x, stream, mask)      binary record; nothing when x fails the mask
//   awrite_X(x, stream, level)    ASCII form at an indentation level
//   matrix_X(x, matrix)           transforms the points in place (null matrix:
//                                 the current matrix)
//   bounds_X(doc, x, rect, acc)   sets (acc false) or grows (acc true) rect;
//                                 true when rect holds an extent afterwards
//   flag_X(x)                     applies the top of the flag-operation stack
//   distance_X(doc, x, p, mask, tolerance, hit_bit)
//                                 distance from p; 1e10 when x fails the mask;
//                                 ORs hit_bit into state when not above tolerance
//   select_X(doc, view, x, bit, operation, mask)
//                                 true when picked by the view's selection area
//   copy_X(x)                     new equal record with its own points and
//                                 items (object id 0: a copy is another record)
//   compare_X(a, b)               the kind's comparison (see each definition)
#include <cstdint>
#include <cstdio>

#include "model/items/item.h"

// --- line, wire or bus ---------------------------------------------------------
Line* new_Line();
void free_Line(Line* line, bool keep_storage);
int read_Line(Line* line, FILE* stream);
void write_Line(Line* line, FILE* stream, uint32_t mask);
void awrite_Line(Line* line, FILE* stream, int level);
void matrix_Line(Line* line, const Matrix* matrix);
bool bounds_Line(Schema* doc, Line* line, Rect* rect, bool accumulate);
void flag_Line(Line* line);
double distance_Line(Schema* doc, Line* line, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
bool select_Line(Schema* doc, View* view, Line* line, uint32_t bit, int operation, uint32_t mask);
Line* copy_Line(const Line* line);
// Equal ends and flag bytes; the width is not compared.
bool compare_Line(const Line* a, const Line* b);

// --- arc -----------------------------------------------------------------------
Arc* new_Arc();
void free_Arc(Arc* arc, bool keep_storage);
int read_Arc(Arc* arc, FILE* stream);
void write_Arc(Arc* arc, FILE* stream, uint32_t mask);
void awrite_Arc(Arc* arc, FILE* stream, int level);
// Start, end and centre; a mirroring matrix swaps start and end so that the
// arc keeps covering the same (mirrored) span.
void matrix_Arc(Arc* arc, const Matrix* matrix);
bool bounds_Arc(Schema* doc, Arc* arc, Rect* rect, bool accumulate);
void flag_Arc(Arc* arc);
double distance_Arc(Schema* doc, Arc* arc, Point p, uint32_t mask, double tolerance,
                    uint32_t hit_bit);
bool select_Arc(Schema* doc, View* view, Arc* arc, uint32_t bit, int operation, uint32_t mask);
Arc* copy_Arc(const Arc* arc);
// Start, end, centre, flags and direction.
bool compare_Arc(const Arc* a, const Arc* b);

// Sector bits of a point around a centre: 1 on the +x axis, 2 between +x
// and +y, 4 on +y, 8 between +y and -x, 16 on -x, 32 between -x and -y,
// 64 on -y, 128 between -y and +x; 255 for the centre itself.
int arc_sector(Point centre, Point p);
// The extremes of an arc: *xmin <= *xmax and *ymin <= *ymax. Terminates for
// every record, also one whose start or end equals its centre.
void boxarc(const Arc* arc, int32_t* xmin, int32_t* xmax, int32_t* ymin, int32_t* ymax);
// Drags the picked ends of an arc (state 0x0004 start, 0x0008 end) by the
// matrix, keeping its opening angle: the centre moves onto the bisector of
// the new chord. Both ends picked: the whole arc moves.
void stretch_Arc(Arc* arc, const Matrix* matrix);

// --- circle --------------------------------------------------------------------
Circle* new_Circle();
void free_Circle(Circle* circle, bool keep_storage);
int read_Circle(Circle* circle, FILE* stream);
void write_Circle(Circle* circle, FILE* stream, uint32_t mask);
void awrite_Circle(Circle* circle, FILE* stream, int level);
void matrix_Circle(Circle* circle, const Matrix* matrix);
bool bounds_Circle(Schema* doc, Circle* circle, Rect* rect, bool accumulate);
void flag_Circle(Circle* circle);
double distance_Circle(Schema* doc, Circle* circle, Point p, uint32_t mask, double tolerance,
                       uint32_t hit_bit);
bool select_Circle(Schema* doc, View* view, Circle* circle, uint32_t bit, int operation,
                   uint32_t mask);
Circle* copy_Circle(const Circle* circle);
// Point on the circle, centre and flags.
bool compare_Circle(const Circle* a, const Circle* b);

// --- rectangle -------------------------------------------------------------------
Boite* new_Rect();
void free_Rect(Boite* box, bool keep_storage);
int read_Rect(Boite* box, FILE* stream);
void write_Rect(Boite* box, FILE* stream, uint32_t mask);
void awrite_Rect(Boite* box, FILE* stream, int level);
void matrix_Rect(Boite* box, const Matrix* matrix);
// widen: include the line width (the dispatcher always asks for it).
bool bounds_Rect(Schema* doc, Boite* box, Rect* rect, bool accumulate, bool widen = true);
void flag_Rect(Boite* box);
// 0 when p lies within the tolerance of a side, else 1e10: the inside of a
// rectangle is not a hit.
double distance_Rect(Schema* doc, Boite* box, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
bool select_Rect(Schema* doc, View* view, Boite* box, uint32_t bit, int operation, uint32_t mask);
Boite* copy_Rect(const Boite* box);
// Both corners and flags.
bool compare_Rect(const Boite* a, const Boite* b);

// --- fill ------------------------------------------------------------------------
// A fill's boundary list holds items of codes 2..7; fills nest at most
// MAX_FILL_DEPTH deep in a file.
constexpr int MAX_FILL_DEPTH = 16;
Fill* new_Fill();
void free_Fill(Fill* fill, bool keep_storage);
int read_Fill(Fill* fill, FILE* stream);
// The mask is passed on to the boundary items.
void write_Fill(Fill* fill, FILE* stream, uint32_t mask);
void awrite_Fill(Fill* fill, FILE* stream, int level);
void matrix_Fill(Fill* fill, const Matrix* matrix);
bool bounds_Fill(Schema* doc, Fill* fill, Rect* rect, bool accumulate);
// The fill's own state only, not its boundary items'.
void flag_Fill(Fill* fill);
double distance_Fill(Schema* doc, Fill* fill, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
bool select_Fill(Schema* doc, View* view, Fill* fill, uint32_t bit, int operation, uint32_t mask);
Fill* copy_Fill(const Fill* fill);
// The boundary lists only.
bool compare_Fill(const Fill* a, const Fill* b);

// --- junction ----------------------------------------------------------------------
Junction* new_Junction();
void free_Junction(Junction* junction, bool keep_storage);
int read_Junction(Junction* junction, FILE* stream);
void write_Junction(Junction* junction, FILE* stream, uint32_t mask);
void awrite_Junction(Junction* junction, FILE* stream, int level);
void matrix_Junction(Junction* junction, const Matrix* matrix);
bool bounds_Junction(Schema* doc, Junction* junction, Rect* rect, bool accumulate);
void flag_Junction(Junction* junction);
// |p - point|, and -2.0 for p exactly on the point so that a junction under
// the cursor wins over everything else.
double distance_Junction(Schema* doc, Junction* junction, Point p, uint32_t mask,
                         double tolerance, uint32_t hit_bit);
bool select_Junction(Schema* doc, View* view, Junction* junction, uint32_t bit, int operation,
                     uint32_t mask);
Junction* copy_Junction(const Junction* junction);
// Point, size and shape.
bool compare_Junction(const Junction* a, const Junction* b);

// --- polyline -----------------------------------------------------------------------
Poly* new_Poly();
void free_Poly(Poly* poly, bool keep_storage);
int read_Poly(Poly* poly, FILE* stream);
void write_Poly(Poly* poly, FILE* stream, uint32_t mask);
void awrite_Poly(Poly* poly, FILE* stream, int level);
void matrix_Poly(Poly* poly, const Matrix* matrix);
bool bounds_Poly(Schema* doc, Poly* poly, Rect* rect, bool accumulate);
void flag_Poly(Poly* poly);
double distance_Poly(Schema* doc, Poly* poly, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
bool select_Poly(Schema* doc, View* view, Poly* poly, uint32_t bit, int operation, uint32_t mask);
Poly* copy_Poly(const Poly* poly);
// Point count and every point; flags are not compared.
bool compare_Poly(const Poly* a, const Poly* b);

// --- shared geometry ------------------------------------------------------------------
// Distance from p to the segment a-b (0 near an end, the distance to a when
// the segment is shorter than 1e-5).
double segment_distance(Point p, Point a, Point b);
// True when any of the four corners of r lies in the view's selection area
// (and, like view_point_in_select, when the view has no area).
bool rect_corner_in_select(View* view, const Rect& r);
