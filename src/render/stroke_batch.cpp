#include "render/stroke_batch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>

#include <dlfcn.h>

namespace {

// cairo's values, as its headers define them.
constexpr int SURFACE_TYPE_IMAGE = 0;
constexpr int LINE_JOIN_MITER = 0;
constexpr int STATUS_SUCCESS = 0;

// Threads a batch is stroked on at most, the calling one among them; and
// the fewest rows a band holds (a band meets the strokes of its edges
// twice: thinner bands would stroke much twice).
constexpr unsigned MAX_THREADS = 4;
constexpr int MIN_BAND_ROWS = 32;
// Bands per thread: the strokes are not spread evenly over the rows, and
// a thread that is done takes the next band waiting.
constexpr int BANDS_PER_THREAD = 4;

// Threads that wait for bands to stroke, made once for the process: a
// thread woken from its wait is running again within a fraction of a
// millisecond, where a thread made anew on a busy machine waits behind the
// others for its first turn.
class BandHelpers {
public:
    ~BandHelpers() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
    }

    // Runs `work` on the calling thread and on up to `helpers` threads
    // beside it, each taking what is left of it (the work shares itself
    // out); returns once every thread that took part is done. A helper
    // that wakes after the calling thread has finished takes no part.
    void run(unsigned helpers, const std::function<void()>& work) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            while (threads_.size() < helpers) {
                try {
                    threads_.emplace_back([this] { serve(); });
                } catch (const std::system_error&) {
                    break;  // no thread to be had: the others take its share
                }
            }
            job_ = &work;
            ++round_;
            open_ = true;
            wanted_ = helpers;
            started_ = finished_ = 0;
        }
        wake_.notify_all();
        work();
        std::unique_lock<std::mutex> lock(mutex_);
        open_ = false;
        done_.wait(lock, [&] { return finished_ == started_; });
        job_ = nullptr;
    }

private:
    void serve() {
        uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || (open_ && round_ != seen); });
            if (stop_) return;
            seen = round_;
            if (started_ >= wanted_) continue;
            ++started_;
            const std::function<void()>* job = job_;
            lock.unlock();
            (*job)();
            lock.lock();
            if (++finished_ == started_) done_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::vector<std::thread> threads_;
    const std::function<void()>* job_ = nullptr;
    uint64_t round_ = 0;
    bool open_ = false, stop_ = false;
    unsigned wanted_ = 0, started_ = 0, finished_ = 0;
};

BandHelpers& band_helpers() {
    static BandHelpers helpers;
    return helpers;
}

template <typename F>
void find(F& call, const char* name) {
    call = reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

bool CairoCalls::found_all() const {
#define TN_CAIRO_FOUND(name, result, parameters) &&name
    return found() TN_CAIRO_CALLS(TN_CAIRO_FOUND);
#undef TN_CAIRO_FOUND
}

const CairoCalls& cairo_calls() {
    static const CairoCalls calls = [] {
        CairoCalls c;
#define TN_CAIRO_FIND(name, result, parameters) find(c.name, "cairo_" #name);
        TN_CAIRO_CALLS(TN_CAIRO_FIND)
#undef TN_CAIRO_FIND
        return c;
    }();
    return calls;
}

int StrokeBatch::take_pen(void* cairo, bool offset) {
    const CairoCalls& c = cairo_calls();
    if (!c.found_all()) return -1;
    Pen pen{};
    pen.offset = offset;
    if (c.pattern_get_rgba(c.get_source(cairo), &pen.rgba[0], &pen.rgba[1], &pen.rgba[2],
                           &pen.rgba[3]) != STATUS_SUCCESS ||
        c.get_dash_count(cairo) != 0)
        return -1;
    c.get_matrix(cairo, pen.matrix);
    // xx, yx, xy, yy, x0, y0: a stroke's rows are found by moving its points
    // only.
    if (pen.matrix[0] != 1 || pen.matrix[1] != 0 || pen.matrix[2] != 0 || pen.matrix[3] != 1)
        return -1;
    pen.width = c.get_line_width(cairo);
    pen.miter = c.get_miter_limit(cairo);
    pen.tolerance = c.get_tolerance(cairo);
    pen.cap = c.get_line_cap(cairo);
    pen.join = c.get_line_join(cairo);
    pen.antialias = c.get_antialias(cairo);
    pen.op = c.get_operator(cairo);
    pen.fill_rule = c.get_fill_rule(cairo);
    if (!std::isfinite(pen.width) || !std::isfinite(pen.matrix[5])) return -1;
    pens_.push_back(pen);
    return int(pens_.size() - 1);
}

void StrokeBatch::stroke(int pen, const int32_t* xy, size_t count) {
    if (count >= 2) add(pen, xy, count, false);
}

void StrokeBatch::dots(int pen, const int32_t* xy, size_t count) {
    if (count >= 1) add(pen, xy, count, true);
}

void StrokeBatch::add(int pen_number, const int32_t* xy, size_t count, bool dots) {
    if (pen_number < 0 || size_t(pen_number) >= pens_.size()) return;
    const Pen& pen = pens_[pen_number];
    int64_t top = xy[1], bottom = xy[1];
    for (size_t i = 1; i < count; ++i) {
        top = std::min<int64_t>(top, xy[2 * i + 1]);
        bottom = std::max<int64_t>(bottom, xy[2 * i + 1]);
    }
    // What a pen draws past its points: half its width, a miter's point up
    // to its limit, a pixel of antialiasing and the half-pixel offset.
    const double reach =
        dots ? 2
             : pen.width * (pen.join == LINE_JOIN_MITER ? std::max(1.0, pen.miter) : 1.0) / 2 + 2;
    const double shift = pen.matrix[5] + (pen.offset ? 0.5 : 0);
    auto row = [](double v) { return int32_t(std::clamp(v, -2e9, 2e9)); };
    Stroke s;
    s.pen = uint32_t(pen_number);
    s.first = uint32_t(points_.size() / 2);
    s.count = uint32_t(count);
    s.dots = dots;
    s.top = row(std::floor(double(top) + shift - reach));
    s.bottom = row(std::ceil(double(bottom) + shift + reach));
    strokes_.push_back(s);
    points_.insert(points_.end(), xy, xy + 2 * count);
}

namespace {

struct Stroker {
    const CairoCalls& c;
    void* cairo;
    int32_t top = INT32_MIN, bottom = INT32_MAX;  // the rows drawn on
    uint32_t pen = UINT32_MAX;
};

}  // namespace

void StrokeBatch::draw(void* cairo) {
    if (!strokes_.empty() && !(strokes_.size() >= MIN_BANDED && draw_banded(cairo)))
        draw_one_by_one(cairo);
    strokes_.clear();
    points_.clear();
}

namespace {

// Strokes one stroke with its pen, as the toolkit's context would: the
// pen's state and its half-pixel offset, which stay set for the strokes
// of the same pen that follow.
template <typename Pen, typename Stroke>
void stroke_one(Stroker& s, const Pen* pens, const Stroke& stroke, const int32_t* points) {
    const CairoCalls& c = s.c;
    if (stroke.pen != s.pen) {
        const Pen& pen = pens[stroke.pen];
        s.pen = stroke.pen;
        c.set_matrix(s.cairo, pen.matrix);
        c.set_source_rgba(s.cairo, pen.rgba[0], pen.rgba[1], pen.rgba[2], pen.rgba[3]);
        c.set_line_width(s.cairo, pen.width);
        c.set_line_cap(s.cairo, pen.cap);
        c.set_line_join(s.cairo, pen.join);
        c.set_miter_limit(s.cairo, pen.miter);
        c.set_tolerance(s.cairo, pen.tolerance);
        c.set_antialias(s.cairo, pen.antialias);
        c.set_operator(s.cairo, pen.op);
        c.set_fill_rule(s.cairo, pen.fill_rule);
        // The context may hold a dashed pen set since (a batch is drawn
        // before such a pen strokes): these pens have none.
        c.set_dash(s.cairo, nullptr, 0, 0);
        if (pen.offset) c.translate(s.cairo, 0.5, 0.5);
    }
    const bool offset = pens[stroke.pen].offset;
    const int32_t* xy = points + 2 * size_t(stroke.first);
    if (stroke.dots) {
        // The squares that can reach the rows drawn on (a square left out
        // lies wholly outside them).
        const double shift = pens[stroke.pen].matrix[5] + (offset ? 0.5 : 0);
        for (uint32_t i = 0; i < stroke.count; ++i) {
            const double y = xy[2 * i + 1] + shift;
            if (y + 2 < s.top || y - 2 >= s.bottom) continue;
            c.rectangle(s.cairo, xy[2 * i] - 0.5, xy[2 * i + 1] - 0.5, 1, 1);
        }
        c.fill(s.cairo);
    } else {
        c.move_to(s.cairo, xy[0], xy[1]);
        for (uint32_t i = 1; i < stroke.count; ++i) c.line_to(s.cairo, xy[2 * i], xy[2 * i + 1]);
        c.stroke(s.cairo);
    }
}

}  // namespace

void StrokeBatch::draw_one_by_one(void* cairo) {
    const CairoCalls& c = cairo_calls();
    // The toolkit sets its pen again for each of its own strokes, but not
    // its matrix, operator or antialiasing: those come back as they were.
    c.save(cairo);
    Stroker s{c, cairo};
    for (const Stroke& stroke : strokes_) stroke_one(s, pens_.data(), stroke, points_.data());
    c.restore(cairo);
}

bool StrokeBatch::draw_banded(void* cairo) {
    const CairoCalls& c = cairo_calls();
    void* target = c.get_target(cairo);
    if (c.surface_get_type(target) != SURFACE_TYPE_IMAGE) return false;
    double dx = 0, dy = 0;
    c.surface_get_device_offset(target, &dx, &dy);
    unsigned char* data = c.image_surface_get_data(target);
    const int format = c.image_surface_get_format(target),
              width = c.image_surface_get_width(target),
              height = c.image_surface_get_height(target),
              stride = c.image_surface_get_stride(target);
    if (dx != 0 || dy != 0 || !data || width <= 0 || height <= 0) return false;
    // The bands are the target's own rows: a clip on the context would not
    // reach them.
    double matrix[6];
    c.get_matrix(cairo, matrix);
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    c.clip_extents(cairo, &x0, &y0, &x1, &y1);
    if (matrix[0] != 1 || matrix[1] != 0 || matrix[2] != 0 || matrix[3] != 1 ||
        x0 + matrix[4] > 0 || y0 + matrix[5] > 0 || x1 + matrix[4] < width ||
        y1 + matrix[5] < height)
        return false;

    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, MAX_THREADS);
    const int rows = std::max(MIN_BAND_ROWS, (height + int(threads) * BANDS_PER_THREAD - 1) /
                                                 (int(threads) * BANDS_PER_THREAD));
    const int bands = (height + rows - 1) / rows;
    std::atomic<int> next{0};
    const std::function<void()> work = [&] {
        for (int band = next++; band < bands; band = next++) {
            const int top = band * rows, bottom = std::min(height, top + rows);
            void* surface = c.image_surface_create_for_data(data + size_t(top) * stride, format,
                                                            width, bottom - top, stride);
            c.surface_set_device_offset(surface, 0, -top);
            void* context = c.create(surface);
            Stroker s{c, context, top, bottom};
            for (const Stroke& stroke : strokes_)
                if (stroke.bottom >= top && stroke.top < bottom)
                    stroke_one(s, pens_.data(), stroke, points_.data());
            c.destroy(context);
            c.surface_destroy(surface);
        }
    };
    c.surface_flush(target);
    band_helpers().run(threads - 1, work);
    c.surface_mark_dirty(target);
    return true;
}
