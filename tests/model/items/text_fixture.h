#pragma once
// What the text tests share: the configuration at its defaults, stable
// object ids, texts and stroke chains that free themselves, and a canvas
// box service for document-font texts.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/core.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/items/text.h"

namespace text_test {

struct TextFree {
    void operator()(Text* text) const { free_Text(text, false); }
};
using TextPtr = std::unique_ptr<Text, TextFree>;

struct StrokesFree {
    void operator()(Stroke* chain) const { free_Strokes(chain); }
};
using StrokesPtr = std::unique_ptr<Stroke, StrokesFree>;

inline TextPtr make_text(const char* string, Point anchor = {1000, 2000},
                         TextSize size = {800, 1200}, uint8_t flags = 0, int font = 0) {
    TextPtr text(new_Text());
    text->string = string;
    text->pos = anchor;
    text->size = size;
    text->flags = flags;
    text->font = font;
    return text;
}

// The point lists of a chain, front to back.
inline std::vector<std::vector<Point>> points_of(const Stroke* chain) {
    std::vector<std::vector<Point>> out;
    for (const Stroke* s = chain; s; s = s->next) out.push_back(s->points);
    return out;
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        reset_object_ids();
        reset_services();
    }
    void TearDown() override {
        reset_services();
        config_set_defaults();
    }
    // Document-font texts get this box from the canvas.
    void give_canvas_box(Rect box) {
        Services s;
        s.sheet_text_box = [box](Schema*, SchItem*, Rect* out) {
            *out = box;
            return true;
        };
        install_services(s);
    }
};

}  // namespace text_test
