#pragma once
// Strokes gathered for one cairo drawing and stroked later, the canvas's
// area split into bands of rows stroked side by side on several threads.
//
// A repaint of a large sheet at a small zoom is thousands of short strokes
// (each line of each letter of the names and pin numbers), nearly all of
// its time cairo's own per stroke. A pixel depends only on the strokes that
// reach it and their order, so a band strokes, in their order, the strokes
// whose rows meet it on a surface that is its own rows of the canvas: the
// same pixels as one thread stroking them all, in a fraction of the time
// the window waits. Each stroke keeps the drawing state it was asked with
// (read back from the cairo drawing, as the toolkit's pen left it).
//
// Only what cairo offers is used, found at run time (the toolkit has cairo
// loaded; cairo's headers are not part of the build), and no window or
// toolkit object is touched off the calling thread.
#include <cstddef>
#include <cstdint>
#include <vector>

// Every call of cairo the strokes use: its name after "cairo_", what it
// returns and its parameters.
#define TN_CAIRO_CALLS(X)                                                                 \
    X(move_to, void, (void* cairo, double x, double y))                                   \
    X(line_to, void, (void* cairo, double x, double y))                                   \
    X(translate, void, (void* cairo, double x, double y))                                 \
    X(stroke, void, (void* cairo))                                                        \
    X(create, void*, (void* surface))                                                     \
    X(destroy, void, (void* cairo))                                                       \
    X(save, void, (void* cairo))                                                          \
    X(restore, void, (void* cairo))                                                       \
    X(get_target, void*, (void* cairo))                                                   \
    X(get_source, void*, (void* cairo))                                                   \
    X(pattern_get_rgba, int, (void* pattern, double* r, double* g, double* b, double* a)) \
    X(set_source_rgba, void, (void* cairo, double r, double g, double b, double a))       \
    X(get_line_width, double, (void* cairo))                                              \
    X(set_line_width, void, (void* cairo, double width))                                  \
    X(get_line_cap, int, (void* cairo))                                                   \
    X(set_line_cap, void, (void* cairo, int cap))                                         \
    X(get_line_join, int, (void* cairo))                                                  \
    X(set_line_join, void, (void* cairo, int join))                                       \
    X(get_miter_limit, double, (void* cairo))                                             \
    X(set_miter_limit, void, (void* cairo, double limit))                                 \
    X(get_tolerance, double, (void* cairo))                                               \
    X(set_tolerance, void, (void* cairo, double tolerance))                               \
    X(get_antialias, int, (void* cairo))                                                  \
    X(set_antialias, void, (void* cairo, int antialias))                                  \
    X(get_operator, int, (void* cairo))                                                   \
    X(set_operator, void, (void* cairo, int op))                                          \
    X(rectangle, void, (void* cairo, double x, double y, double w, double h))             \
    X(fill, void, (void* cairo))                                                          \
    X(get_fill_rule, int, (void* cairo))                                                  \
    X(set_fill_rule, void, (void* cairo, int rule))                                       \
    X(get_dash_count, int, (void* cairo))                                                 \
    X(set_dash, void, (void* cairo, const double* dashes, int count, double offset))      \
    X(get_matrix, void, (void* cairo, double matrix[6]))                                  \
    X(set_matrix, void, (void* cairo, const double matrix[6]))                            \
    X(clip_extents, void, (void* cairo, double* x0, double* y0, double* x1, double* y1))  \
    X(surface_get_type, int, (void* surface))                                             \
    X(surface_flush, void, (void* surface))                                               \
    X(surface_mark_dirty, void, (void* surface))                                          \
    X(surface_destroy, void, (void* surface))                                             \
    X(surface_set_device_offset, void, (void* surface, double x, double y))               \
    X(surface_get_device_offset, void, (void* surface, double* x, double* y))             \
    X(image_surface_get_data, unsigned char*, (void* surface))                            \
    X(image_surface_get_format, int, (void* surface))                                     \
    X(image_surface_get_width, int, (void* surface))                                      \
    X(image_surface_get_height, int, (void* surface))                                     \
    X(image_surface_get_stride, int, (void* surface))                                     \
    X(image_surface_create_for_data, void*,                                               \
      (unsigned char* data, int format, int width, int height, int stride))               \
    X(status, int, (void* cairo))                                                         \
    X(status_to_string, const char*, (int status))                                        \
    X(push_group, void, (void* cairo))                                                    \
    X(pop_group_to_source, void, (void* cairo))                                           \
    X(paint, void, (void* cairo))

// The calls of cairo the strokes need, found once; `found()` is false where
// the process has no cairo.
struct CairoCalls {
#define TN_CAIRO_MEMBER(name, result, parameters) result(*name) parameters = nullptr;
    TN_CAIRO_CALLS(TN_CAIRO_MEMBER)
#undef TN_CAIRO_MEMBER
    // The calls a stroke on the context itself needs.
    bool found() const { return move_to && line_to && translate && stroke; }
    // And those that stroke in bands besides.
    bool found_all() const;
};

const CairoCalls& cairo_calls();

class StrokeBatch {
public:
    // Takes the drawing state `cairo` holds (the pen the toolkit set; its
    // strokes half a pixel off where `offset`) as a pen of the batch: its
    // number, or -1 where it is one the bands cannot repeat (a dash, a
    // pattern for a source, a turned or scaled matrix).
    int take_pen(void* cairo, bool offset);
    // A stroke through device points (x, y in turn) with a pen taken.
    void stroke(int pen, const int32_t* xy, size_t count);
    // One fill of the squares of a pixel about each device point (a
    // pixel each where the pen's offset is set), in the pen's colour and
    // fill rule.
    void dots(int pen, const int32_t* xy, size_t count);
    size_t size() const { return strokes_.size(); }
    // Strokes everything gathered onto `cairo` (the context the pens were
    // taken from, its state left as it was) and empties the batch. In
    // bands over threads where there are enough strokes, the target is an
    // image surface without device offset and nothing is clipped; one by
    // one on the context otherwise.
    void draw(void* cairo);

    // Below this many strokes a batch is stroked on the calling thread.
    static constexpr size_t MIN_BANDED = 512;

private:
    struct Pen {
        double rgba[4];
        double width, miter, tolerance;
        int cap, join, antialias, op, fill_rule;
        double matrix[6];
        bool offset;
    };
    struct Stroke {
        uint32_t pen, first, count;
        int32_t top, bottom;  // device rows it can reach
        bool dots;            // a fill of squares about the points
    };
    void add(int pen, const int32_t* xy, size_t count, bool dots);
    void draw_one_by_one(void* cairo);
    bool draw_banded(void* cairo);

    std::vector<Pen> pens_;
    std::vector<Stroke> strokes_;
    std::vector<int32_t> points_;  // x, y of each stroke's points, in turn
};
