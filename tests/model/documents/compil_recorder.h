#pragma once
// A builder that writes every call of the source reader as one line of
// text, so that tests compare what the parser handed over.
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "model/documents/compil_builder.h"
#include "support/test_env.h"

// What the report hook of a test compilation received (compil_capture).
inline std::string compil_messages;

inline void compil_capture(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(compil_messages, format, args);
    va_end(args);
}

class CompilRecorder : public CompilBuilder {
public:
    std::vector<std::string> calls;
    bool aborted = false;
    // The call (by name) that answers stop_code instead of 0.
    std::string stop_at;
    int stop_code = 0;

    std::string log() const {
        std::string text;
        for (const auto& c : calls) text += c + "\n";
        return text;
    }

    void start(int mode, CompilReport) override {
        calls.push_back("start " + std::to_string(mode));
    }
    void abort() override {
        aborted = true;
        calls.push_back("abort");
    }

    int lib_begin() override { return note("lib_begin"); }
    int prefix(const char* name, const char* value) override {
        return note("prefix " + q(name) + " " + q(value));
    }
    int lpart_begin() override { return note("lpart_begin"); }
    int part_begin() override { return note("part_begin"); }
    int part_size(int32_t w, int32_t h) override { return note("part_size " + wh(w, h)); }
    int part_reference(const char* s) override { return note("part_reference " + q(s)); }
    int part_sheet_path(const char* s) override { return note("part_sheet_path " + q(s)); }
    int part_type(uint8_t type, int32_t devices) override {
        return note("part_type " + std::to_string(type) + " " + std::to_string(devices));
    }
    int part_end() override { return note("part_end"); }
    int body_begin(int form) override { return note("body_begin " + std::to_string(form)); }
    int vector_begin() override { return note("vector_begin"); }
    int vector_end() override { return note("vector_end"); }
    int vector_ref(uint8_t mode, const char* part) override {
        return note("vector_ref " + std::to_string(mode) + " " + q(part));
    }
    int pins_begin() override { return note("pins_begin"); }
    int pin_begin() override { return note("pin_begin"); }
    int pin_number(const char* s) override { return note("pin_number " + q(s)); }
    int pin_end(const char* name, uint8_t shape, uint8_t type, Point pos) override {
        return note("pin_end " + q(name) + " " + hex(shape) + " " + std::to_string(type) + " " +
                    xy(pos));
    }
    int pins_end() override { return note("pins_end"); }
    int body_end() override { return note("body_end"); }
    int name_begin() override { return note("name_begin"); }
    int name_end(const char* name) override { return note("name_end " + q(name)); }
    int attribute_begin() override { return note("attribute_begin"); }
    int attribute_end(const char* text, uint8_t flags, uint8_t options, Point pos) override {
        return note("attribute_end " + q(text) + " " + hex(flags) + " " + hex(options) + " " +
                    xy(pos));
    }
    int lpart_end() override { return note("lpart_end"); }
    int lib_end(const char* name) override { return note("lib_end " + q(name)); }

    int line(uint8_t flags, Point a, Point b) override {
        return note("line " + hex(flags) + " " + xy(a) + " " + xy(b));
    }
    int arc(uint8_t flags, Point s, Point e, Point c, uint8_t dir) override {
        return note("arc " + hex(flags) + " " + xy(s) + " " + xy(e) + " " + xy(c) + " " +
                    std::to_string(dir));
    }
    int circle(uint8_t flags, Point p, Point c) override {
        return note("circle " + hex(flags) + " " + xy(p) + " " + xy(c));
    }
    int rect(uint8_t flags, Point a, Point b) override {
        return note("rect " + hex(flags) + " " + xy(a) + " " + xy(b));
    }
    int fill_begin() override { return note("fill_begin"); }
    int fill_end(Point seed) override { return note("fill_end " + xy(seed)); }
    int poly_begin(int32_t count, uint8_t flags) override {
        return note("poly_begin " + std::to_string(count) + " " + hex(flags));
    }
    int poly_point(Point p) override { return note("poly_point " + xy(p)); }
    int poly_end() override { return note("poly_end"); }
    int text(const CompilText& t) override {
        return note("text " + std::to_string(t.font) + " " + xy(t.pos) + " " +
                    wh(t.width, t.height) + " " + q(t.value) + " " + hex(t.flags) + " " +
                    std::to_string(t.field));
    }

    int schematic_begin() override { return note("schematic_begin"); }
    int ports_begin() override { return note("ports_begin"); }
    int port(uint8_t flags, Point pos, const char* name) override {
        return note("port " + hex(flags) + " " + xy(pos) + " " + q(name));
    }
    int sheet_begin() override { return note("sheet_begin"); }
    int placed_part_begin() override { return note("placed_part_begin"); }
    int placed_part_end(const CompilPlacedPart& p) override {
        char scale[32];
        std::snprintf(scale, sizeof scale, "%g", p.scale);
        return note("placed_part_end " + q(p.name) + " " + hex32(p.stamp) + " " + scale + " " +
                    hex(p.flags) + " " + std::to_string(p.device) + " " + xy(p.pos) + " " +
                    q(p.sheet_path));
    }
    int junction(Point pos, int32_t size, uint8_t shape) override {
        return note("junction " + xy(pos) + " " + std::to_string(size) + " " + hex(shape));
    }
    int nocon(Point pos) override { return note("nocon " + xy(pos)); }
    int power(const char* name, uint8_t flags, Point pos) override {
        return note("power " + q(name) + " " + hex(flags) + " " + xy(pos));
    }
    int subsheet_begin() override { return note("subsheet_begin"); }
    int subsheet_ports_begin() override { return note("subsheet_ports_begin"); }
    int subsheet_end(const CompilSubSheet& b) override {
        return note("subsheet_end " + hex32(b.id) + " " + xy(b.pos) + " " + wh(b.width, b.height) +
                    " " + q(b.sheet_name) + " " + q(b.file_name));
    }
    int netprop(const CompilNetProp& n) override {
        return note("netprop " + xy(n.pos) + " " + q(n.name) + " " + std::to_string(n.track_width) +
                    " " + std::to_string(n.isolation) + " " + std::to_string(n.via_size) + " " +
                    std::to_string(n.via_drill) + " " + std::to_string(n.start_layer) + " " +
                    std::to_string(n.end_layer) + " " + std::to_string(n.net_type));
    }
    int image(const CompilImage& i) override {
        return note("image " + std::string(i.bmp ? "BMP " : "") + hex(i.flags) + " " + xy(i.pos) +
                    " " + wh(i.width, i.height) + " " + q(i.file));
    }
    int erclist_begin() override { return note("erclist_begin"); }
    int erc_mark(int32_t number, Point pos) override {
        return note("erc_mark " + std::to_string(number) + " " + xy(pos));
    }
    int sheet_erc_mark(int32_t number, Point pos) override {
        return note("sheet_erc_mark " + std::to_string(number) + " " + xy(pos));
    }
    int schematic_end() override { return note("schematic_end"); }

    int titleblock_begin() override { return note("titleblock_begin"); }
    int titleblock_field(int field, const char* value) override {
        return note("titleblock_field " + std::to_string(field) + " " + q(value));
    }
    int controls_begin() override { return note("controls_begin"); }
    int controls_end() override { return note("controls_end"); }
    int titleblock_vector_begin() override { return note("titleblock_vector_begin"); }
    int titleblock_vector_end() override { return note("titleblock_vector_end"); }
    int titleblock_end() override { return note("titleblock_end"); }

    int fonts_begin() override { return note("fonts_begin"); }
    int font(const CompilFont& f) override {
        std::string line = "font";
        for (int32_t v : {f.id, f.size, f.height, f.width, f.escapement, f.orientation, f.weight,
                          f.italic, f.underline, f.strike_out, f.char_set, f.out_precision,
                          f.clip_precision, f.quality, f.pitch_family})
            line += " " + std::to_string(v);
        return note(line + " " + q(f.face));
    }
    int fonts_end(CompilFontOwner owner) override {
        return note("fonts_end " + std::to_string(owner));
    }

private:
    int note(std::string line) {
        std::string name = line.substr(0, line.find(' '));
        calls.push_back(std::move(line));
        return name == stop_at ? stop_code : 0;
    }
    static std::string q(const std::string& s) { return "'" + s + "'"; }
    static std::string xy(Point p) {
        return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
    }
    static std::string wh(int32_t w, int32_t h) {
        return std::to_string(w) + "x" + std::to_string(h);
    }
    static std::string hex(unsigned v) {
        char b[8];
        std::snprintf(b, sizeof b, "0x%02X", v & 0xFFu);
        return b;
    }
    static std::string hex32(uint32_t v) {
        char b[16];
        std::snprintf(b, sizeof b, "0x%08X", v);
        return b;
    }
};
