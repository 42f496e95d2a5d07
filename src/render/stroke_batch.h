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

// The calls of cairo the strokes need, found once; `found()` is false where
// the process has no cairo.
struct CairoCalls {
    using Move = void (*)(void* cairo, double x, double y);
    Move move_to = nullptr;
    Move line_to = nullptr;
    Move translate = nullptr;
    void (*stroke)(void* cairo) = nullptr;
    void* (*create)(void* surface) = nullptr;
    void (*destroy)(void* cairo) = nullptr;
    void (*save)(void* cairo) = nullptr;
    void (*restore)(void* cairo) = nullptr;
    void* (*get_target)(void* cairo) = nullptr;
    void* (*get_source)(void* cairo) = nullptr;
    int (*pattern_get_rgba)(void* pattern, double* r, double* g, double* b, double* a) = nullptr;
    void (*set_source_rgba)(void* cairo, double r, double g, double b, double a) = nullptr;
    double (*get_line_width)(void* cairo) = nullptr;
    void (*set_line_width)(void* cairo, double width) = nullptr;
    int (*get_line_cap)(void* cairo) = nullptr;
    void (*set_line_cap)(void* cairo, int cap) = nullptr;
    int (*get_line_join)(void* cairo) = nullptr;
    void (*set_line_join)(void* cairo, int join) = nullptr;
    double (*get_miter_limit)(void* cairo) = nullptr;
    void (*set_miter_limit)(void* cairo, double limit) = nullptr;
    double (*get_tolerance)(void* cairo) = nullptr;
    void (*set_tolerance)(void* cairo, double tolerance) = nullptr;
    int (*get_antialias)(void* cairo) = nullptr;
    void (*set_antialias)(void* cairo, int antialias) = nullptr;
    int (*get_operator)(void* cairo) = nullptr;
    void (*set_operator)(void* cairo, int op) = nullptr;
    void (*rectangle)(void* cairo, double x, double y, double w, double h) = nullptr;
    void (*fill)(void* cairo) = nullptr;
    int (*get_fill_rule)(void* cairo) = nullptr;
    void (*set_fill_rule)(void* cairo, int rule) = nullptr;
    int (*get_dash_count)(void* cairo) = nullptr;
    void (*set_dash)(void* cairo, const double* dashes, int count, double offset) = nullptr;
    void (*get_matrix)(void* cairo, double matrix[6]) = nullptr;
    void (*set_matrix)(void* cairo, const double matrix[6]) = nullptr;
    void (*clip_extents)(void* cairo, double* x0, double* y0, double* x1, double* y1) = nullptr;
    int (*surface_get_type)(void* surface) = nullptr;
    void (*surface_flush)(void* surface) = nullptr;
    void (*surface_mark_dirty)(void* surface) = nullptr;
    void (*surface_destroy)(void* surface) = nullptr;
    void (*surface_set_device_offset)(void* surface, double x, double y) = nullptr;
    void (*surface_get_device_offset)(void* surface, double* x, double* y) = nullptr;
    unsigned char* (*image_get_data)(void* surface) = nullptr;
    int (*image_get_format)(void* surface) = nullptr;
    int (*image_get_width)(void* surface) = nullptr;
    int (*image_get_height)(void* surface) = nullptr;
    int (*image_get_stride)(void* surface) = nullptr;
    void* (*image_create_for_data)(unsigned char* data, int format, int width, int height,
                                   int stride) = nullptr;
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
