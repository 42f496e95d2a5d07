#pragma once
// The ASCII source compiler's actions: the builder that turns what the
// source reader (compil.h) hands over into the records of the binary world,
// a Schema (schematic and title-block sources) or a Library (library
// sources), and the compile entry points the batch conversions call.
//
// Every message of a compilation goes through its report hook: the reader's
// "compil : Error : parse error at line %d\n" and the semantic errors this
// builder finds, in the same form "compil : Error : <what> at line <n>\n".
// A semantic error
// ends the compilation with result 1, like a parse error; every record made
// so far is then released. Running out of memory is no result: it ends the
// program (no_memory), as everywhere else.
//
// Semantic errors (the grammar accepts these; the records cannot hold them):
// a placed part with fewer than two attributes (the reference and the value
// come from the first two); a device count outside 1..255; a placed part's
// device outside 0..254; a pin with more numbers than its part has devices;
// an alias without a part; a text font outside 0..255 or a text size outside
// 16 bits; a font id outside 10..509 and font bytes outside -128..255;
// net-property bytes outside -128..127; a polyline inside a part body or a
// fill, fills nested deeper than a file may hold, an image marked BOXED, and
// an unknown sheet size. An image whose bitmap cannot be loaded is no error:
// it is reported as "compil : Warning : ..." and left out.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/documents/attribute.h"
#include "model/documents/compil.h"
#include "model/documents/compil_builder.h"

struct Fill;
struct Library;
struct List;
struct Part;
struct Pin;
struct PinList;
struct Poly;
struct SchItem;
struct Schema;
struct SubSheet;
struct Vectors;

// One schematic file of a compilation of a hierarchy (not the net-name
// record NameRec of ident.h).
struct SheetName {
    int flag = 0;      // 0 put there by the caller (the root); 1 added by the compiler
    std::string name;  // the file name as written
};
// The sheet files still to compile: the compiler appends the file of every
// sub-sheet box it meets (once, names compared ignoring case) unless
// COMPSHEET_HIER is set.
using SheetList = std::vector<SheetName>;
// The names of a sheet list, each counted once per entry and compared
// ignoring case: the compiler looks a box's file up here instead of in the
// whole list. A job that compiles sheet after sheet of one list keeps one
// beside it and changes both together, so that no compile indexes the list
// again (a chain of sheets would cost the square of its length).
class SheetNames {
public:
    bool has(const std::string& name) const { return counts_.count(name) != 0; }
    void add(const std::string& name) { ++counts_[name]; }
    // Forgets one entry of that name.
    void remove(const std::string& name);

private:
    struct NameOrder {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    std::map<std::string, int, NameOrder> counts_;
};

// --- entry points ------------------------------------------------------------------
// Results: 0 with the record in *out (the caller owns it); otherwise *out is
// null and the result is the reader's (1 a parse or semantic error, 2 nesting
// too deep, 51 with "Can't open file '%s'\n" when a path cannot be opened). A
// null report hook stands for log_printf.

// Library sources. The source name names the library until its "(LIB"
// string is read (the base name without its suffix); null is "".
int compile_library_file(FILE* file, const char* source_name, CompilReport report, Library** out);
int compile_library_string(std::string_view text, const char* source_name, CompilReport report,
                           Library** out);
// The path is the source name.
int compile_library_path(const char* path, CompilReport report, Library** out);

// Schematic (mode COMPIL_SCHEMATIC) and title-block (COMPIL_TITLEBLOCK)
// sources. `sheets` (schematic mode, may be null) receives the sub-sheet files.
int compile_schema_file(FILE* file, int mode, CompilReport report, SheetList* sheets, Schema** out);
int compile_schema_string(std::string_view text, int mode, CompilReport report, SheetList* sheets,
                          Schema** out);
int compile_schema_path(const char* path, int mode, CompilReport report, SheetList* sheets,
                        Schema** out);

// --- the builder ---------------------------------------------------------------------
// The compiler's state lives in one builder per compilation. Records are
// hung on their owner as soon as they are made (a fill on its list at its
// opening keyword, a pin list on its part body, ...), so that releasing the
// roots (the result schema or library, the current part, the pending
// attribute and font lists) releases everything after any failure.
class CompilActions : public CompilBuilder {
public:
    // `sheets`: the sheet list of a schematic compilation (may be null).
    // `names`, when given, holds the names of every entry of the list and
    // is kept by the caller; the compiler adds those it appends. Without
    // it the compiler indexes the list itself.
    CompilActions(const char* source_name, SheetList* sheets, SheetNames* names = nullptr);
    ~CompilActions() override;
    CompilActions(const CompilActions&) = delete;
    CompilActions& operator=(const CompilActions&) = delete;

    // The records built by a successful compilation; the caller owns them.
    Schema* take_schema();
    Library* take_library();
    // False when the source held neither a sub-sheet box naming a file nor
    // a text beginning with "&PROJ:": then the schema names no other sheet.
    bool may_name_sheets() const { return may_name_sheets_; }

    void start(int mode, CompilReport report) override;
    void abort() override;

    int lib_begin() override;
    int prefix(const char* name, const char* value) override;
    int lpart_begin() override;
    int part_begin() override;
    int part_size(int32_t width, int32_t height) override;
    int part_reference(const char* prefix) override;
    int part_sheet_path(const char* path) override;
    int part_type(uint8_t type, int32_t devices) override;
    int part_end() override;
    int body_begin(int form) override;
    int vector_begin() override;
    int vector_end() override;
    int vector_ref(uint8_t mode, const char* part) override;
    int pins_begin() override;
    int pin_begin() override;
    int pin_number(const char* number) override;
    int pin_end(const char* name, uint8_t shape, uint8_t type, Point pos) override;
    int pins_end() override;
    int body_end() override;
    int name_begin() override;
    int name_end(const char* name) override;
    int attribute_begin() override;
    int attribute_end(const char* text, uint8_t flags, uint8_t options, Point pos) override;
    int lpart_end() override;
    int lib_end(const char* name) override;

    int line(uint8_t flags, Point first, Point second) override;
    int arc(uint8_t flags, Point start, Point end, Point centre, uint8_t direction) override;
    int circle(uint8_t flags, Point on_circle, Point centre) override;
    int rect(uint8_t flags, Point first, Point opposite) override;
    int fill_begin() override;
    int fill_end(Point seed) override;
    int poly_begin(int32_t count, uint8_t flags) override;
    int poly_point(Point p) override;
    int poly_end() override;
    int text(const CompilText& text) override;

    int schematic_begin() override;
    int ports_begin() override;
    int port(uint8_t flags, Point pos, const char* name) override;
    int sheet_begin() override;
    int placed_part_begin() override;
    int placed_part_end(const CompilPlacedPart& part) override;
    int junction(Point pos, int32_t size, uint8_t shape) override;
    int nocon(Point pos) override;
    int power(const char* name, uint8_t flags, Point pos) override;
    int subsheet_begin() override;
    int subsheet_ports_begin() override;
    int subsheet_end(const CompilSubSheet& box) override;
    int netprop(const CompilNetProp& label) override;
    int image(const CompilImage& image) override;
    int erclist_begin() override;
    int erc_mark(int32_t number, Point pos) override;
    int sheet_erc_mark(int32_t number, Point pos) override;
    int schematic_end() override;

    int titleblock_begin() override;
    int titleblock_field(int field, const char* value) override;
    int controls_begin() override;
    int controls_end() override;
    int titleblock_vector_begin() override;
    int titleblock_vector_end() override;
    int titleblock_end() override;

    int fonts_begin() override;
    int font(const CompilFont& font) override;
    int fonts_end(CompilFontOwner owner) override;

private:
    // "compil : Error : <what> at line <n>\n" through the hook; answers 1.
    int fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void say(const char* kind, const char* format, va_list args);
    // The list sheet items go to (a title block's drawing list when none).
    List* item_list();
    int append_item(SchItem* item);
    bool in_nested_list() const;
    int check_pin_numbers(int devices);
    void set_body(Vectors* set);
    void release_part();
    void release_all();

    // --- mode and results
    int mode_ = 0;
    CompilReport report_ = nullptr;
    std::string source_name_;
    SheetList* sheets_ = nullptr;  // not owned: the caller's list of sheets met, or null
    // The names of sheets_: the caller's, or own_names_ (up to
    // sheets_indexed_, the entries indexed so far).
    SheetNames* names_;
    SheetNames own_names_;
    size_t sheets_indexed_ = 0;
    Schema* schema_ = nullptr;      // result schema (schematic, title block); owned until taken
    Library* library_ = nullptr;    // current library: the result in library mode (owned until
                                    // taken), else the schema's own
    bool own_library_ = false;      // library_ is the result, not the schema's
    bool may_name_sheets_ = false;  // see may_name_sheets()

    // --- library parts
    Part* part_ = nullptr;        // current part; held by entries once named, else owned here
    int body_form_ = 0;           // 0 NORMAL, 1 CONVERT
    Vectors* vectors_ = nullptr;  // the "(VECTOR" being filled (already on its body)
    PinList* pins_ = nullptr;     // the "(PINS" being filled (already on its body)
    Pin* pin_ = nullptr;          // the "(PIN" being filled (already in pins_)
    int pin_index_ = 0;           // next pin number's device
    // The "(ATTRIBUTE" lists pending: a name's whole list; a placed part's
    // first two are made in place for its inline slots, the rest listed.
    List* attributes_ = nullptr;     // owned, or null while none is listed
    bool placing_ = false;           // between a placed part's "(PARTLIB" and its ")"
    Attribute part_attributes_[2];   // a placed part's reference and value to be
    int part_attribute_count_ = 0;   // of part_attributes_ filled
    uint8_t attribute_options_ = 0;  // text options met inside a placed part's attributes

    // --- item lists
    List* items_ = nullptr;           // where items go; not owned
    std::vector<List*> saved_items_;  // lists of the open fills and sub-sheet
    std::vector<Fill*> fills_;        // open fills (already on their lists)
    Poly* poly_ = nullptr;            // the "(POLY" being filled (already on its list)
    SubSheet* subsheet_ = nullptr;    // the box being filled (already on its list)

    // --- fonts
    List* fonts_ = nullptr;  // pending "(FONTS" list, owned
};
