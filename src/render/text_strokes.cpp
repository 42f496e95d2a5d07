#include "render/text_strokes.h"

#include "foundation/open_table.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

// What shapes a layout in cell units.
struct KeyView {
    std::string_view string;
    int advance;
    bool symbol_table;
    bool boxed;
};
struct Key {
    std::string string;
    int advance;
    bool symbol_table;
    bool boxed;
};
struct KeyHash {
    using is_transparent = void;
    size_t operator()(const KeyView& k) const {
        return std::hash<std::string_view>()(k.string) ^ size_t(mix_bits(uint32_t(k.advance))) ^
               (size_t(k.symbol_table) << 1) ^ size_t(k.boxed);
    }
    size_t operator()(const Key& k) const {
        return (*this)(KeyView{k.string, k.advance, k.symbol_table, k.boxed});
    }
};
struct KeyEqual {
    using is_transparent = void;
    static KeyView view(const Key& k) { return {k.string, k.advance, k.symbol_table, k.boxed}; }
    static const KeyView& view(const KeyView& k) { return k; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
        const KeyView& x = view(a);
        const KeyView& y = view(b);
        return x.advance == y.advance && x.symbol_table == y.symbol_table && x.boxed == y.boxed &&
               x.string == y.string;
    }
};

struct Kept {
    bool laid_out = false;
    std::unique_ptr<CellStrokes> cells;  // null: draws nothing
    // The last extent asked for at the origin, by size.
    bool measured = false;
    TextSize measured_size;
    int extent_code = 0;
    Rect extent{};
};

// A layout of more points is made for its caller but not kept.
constexpr size_t LARGEST_KEPT = 4096;

class TextStrokes {
public:
    Kept& find(const char* string, int font, uint8_t flags) {
        const KeyView key{string, text_layout_advance(), font != 0, (flags & BOXED) != 0};
        auto it = kept_.find(key);
        if (it != kept_.end()) return it->second;
        const size_t bytes = sizeof(Key) + sizeof(Kept) + 4 * sizeof(void*) + key.string.size();
        if (bytes_ + bytes > TEXT_STROKES_BOUND) clear();
        bytes_ += bytes;
        return kept_
            .emplace(Key{std::string(key.string), key.advance, key.symbol_table, key.boxed}, Kept{})
            .first->second;
    }
    const CellStrokes* cells(const char* string, int font, uint8_t flags) {
        Kept* kept = &find(string, font, flags);
        if (kept->laid_out) return kept->cells.get();
        std::unique_ptr<CellStrokes> cells = lay_out(string, font, flags);
        if (!cells) {
            kept->laid_out = true;
            return nullptr;
        }
        if (cells->points.size() > LARGEST_KEPT) {
            spare_ = std::move(cells);
            return spare_.get();
        }
        const size_t bytes = sizeof(CellStrokes) + cells->points.capacity() * sizeof(Point) +
                             cells->ends.capacity() * sizeof(uint32_t);
        if (bytes_ + bytes > TEXT_STROKES_BOUND) {
            clear();
            kept = &find(string, font, flags);
        }
        bytes_ += bytes;
        kept->cells = std::move(cells);
        kept->laid_out = true;
        return kept->cells.get();
    }
    void clear() {
        kept_.clear();
        spare_.reset();
        bytes_ = 0;
    }
    size_t bytes() const { return bytes_; }

private:
    static std::unique_ptr<CellStrokes> lay_out(const char* string, int font, uint8_t flags) {
        Stroke* chain =
            text_layout(string, Point{0, 0}, TextSize{}, flags & BOXED, font, 0, nullptr, false);
        if (!chain) return nullptr;
        auto cells = std::make_unique<CellStrokes>();
        for (Stroke* s = chain; s; s = s->next) {
            cells->points.insert(cells->points.end(), s->points.begin(), s->points.end());
            cells->ends.push_back(uint32_t(cells->points.size()));
        }
        free_Strokes(chain);
        return cells;
    }

    std::unordered_map<Key, Kept, KeyHash, KeyEqual> kept_;
    std::unique_ptr<CellStrokes> spare_;
    size_t bytes_ = 0;
};

TextStrokes& text_strokes() {
    static TextStrokes kept;
    return kept;
}

}  // namespace

const CellStrokes* cell_strokes(const char* string, int font, uint8_t flags) {
    if (!string || !*string || font >= 10) return nullptr;
    return text_strokes().cells(string, font, flags);
}

int text_extent_at_origin(const char* string, TextSize size, int font, Rect* rect) {
    if (!string || !*string) return 0;
    Kept& kept = text_strokes().find(string, font, 0);
    if (!kept.measured || !(kept.measured_size == size)) {
        kept.extent_code = text_layout_extent(string, Point{0, 0}, size, 0, font, &kept.extent);
        kept.measured = true;
        kept.measured_size = size;
    }
    if (kept.extent_code > 0) *rect = kept.extent;
    return kept.extent_code;
}

void forget_text_strokes() { text_strokes().clear(); }

size_t text_strokes_bytes() { return text_strokes().bytes(); }
