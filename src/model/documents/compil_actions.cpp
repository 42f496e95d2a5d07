// The compiler's actions: what each construct of the ASCII source builds.
#include "model/documents/compil_actions.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

#include <strings.h>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "model/documents/dib.h"
#include "model/documents/erc_mark.h"
#include "model/documents/fonts.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

void append(List* list, void* data) {
    if (!dlist_append(list, data)) no_memory();
}

// A name's base name without its suffix ("C:\LIBS\DEMO.LIB" gives "DEMO").
std::string bare_name(const char* path) {
    std::string name = base_name(path ? path : "");
    name.resize(find_suffix(name.c_str()));
    return name;
}

// The scale code of a placed part's written scale.
uint8_t scale_code(double scale) {
    static const struct {
        double most;
        uint8_t code;
    } steps[] = {{0.11, 1}, {0.21, 2},  {0.31, 4}, {0.51, 8},
                 {1.1, 16}, {1.51, 32}, {2.1, 64}, {3.1, 128}};
    for (const auto& step : steps)
        if (scale <= step.most) return step.code;
    return PL_DEFAULT_SCALE;
}

// The size code of a sheet-size name, trailing blanks ignored; -1 for none.
int sheet_size_code(std::string_view name) {
    std::string_view bare = name.substr(0, name.find_last_not_of(' ') + 1);
    for (int code = 0; code < SHEET_SIZE_COUNT; ++code) {
        std::string known = sheet_size_name(code);
        known.resize(known.find_last_not_of(' ') + 1);
        if (bare == known) return code;
    }
    return -1;
}

bool fits(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// A record from its constructor; exhausted memory ends the program.
template <class T>
T* made(T* record) {
    if (!record) no_memory();
    return record;
}

ErcMark* make_erc_mark(int32_t number, Point pos) {
    ErcMark* mark = made(new_ErcMark());
    mark->number = number;
    mark->pos = pos;
    return mark;
}

// Every pin of both bodies of a part.
template <class Fn>
void for_each_pin(Part* part, Fn&& fn) {
    for (PinList* list : {part->normal_pins, part->convert_pins})
        if (list)
            for (Pin* pin : list_items<Pin>(list->pins)) fn(pin);
}

// Moves a pending attribute into a placed part's inline slot.
void take_attribute(Attribute* to, Attribute* from) {
    to->type = from->type;
    to->flags = from->flags;
    to->width = from->width;
    to->state = from->state | STATE_NEW;
    to->text = std::move(from->text);
    to->pos = from->pos;
}

}  // namespace

// --- life ---------------------------------------------------------------------------------

CompilActions::CompilActions(const char* source_name, SheetList* sheets, SheetNames* names)
    : source_name_(source_name ? source_name : ""),
      sheets_(sheets),
      names_(names ? names : &own_names_) {}

CompilActions::~CompilActions() { release_all(); }

Schema* CompilActions::take_schema() {
    Schema* schema = schema_;
    schema_ = nullptr;
    if (!own_library_) library_ = nullptr;
    return schema;
}

Library* CompilActions::take_library() {
    if (!own_library_) return nullptr;
    Library* library = library_;
    library_ = nullptr;
    own_library_ = false;
    return library;
}

void CompilActions::start(int mode, CompilReport report) {
    release_all();
    mode_ = mode;
    report_ = report;
    may_name_sheets_ = false;
}

void CompilActions::abort() { release_all(); }

void CompilActions::release_part() {
    // A part that no entry holds yet is this builder's; one that is named
    // goes with its library.
    if (part_ && part_->refs == 0) free_Part(part_);
    part_ = nullptr;
    vectors_ = nullptr;
    pins_ = nullptr;
    pin_ = nullptr;
}

void CompilActions::release_all() {
    free_Fonts(fonts_);
    fonts_ = nullptr;
    free_Attribute_list(attributes_);
    attributes_ = nullptr;
    placing_ = false;
    for (Attribute& pending : part_attributes_) pending.text.clear();
    release_part();
    if (own_library_) free_Library(library_);
    library_ = nullptr;
    own_library_ = false;
    free_Schema(schema_, false);
    schema_ = nullptr;
    items_ = nullptr;
    saved_items_.clear();
    fills_.clear();
    poly_ = nullptr;
    subsheet_ = nullptr;
}

// --- messages and lists -----------------------------------------------------------------

void CompilActions::say(const char* kind, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    report_("compil : %s : %s at line %d\n", kind, text, source_line());
}

int CompilActions::fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    say("Error", format, args);
    va_end(args);
    return 1;
}

void CompilActions::warn(const char* format, ...) {
    va_list args;
    va_start(args, format);
    say("Warning", format, args);
    va_end(args);
}

List* CompilActions::item_list() {
    if (!items_ && schema_) {
        TitleBlock& block = schema_->titleblock;
        if (!block.drawing) block.drawing = made(list_new());
        items_ = block.drawing;
    }
    return items_;
}

int CompilActions::append_item(SchItem* item) {
    List* list = item_list();
    if (!list) {  // the grammar puts every item in a block that has a list
        free_SchItem(schema_, item, false);
        return fail("%s outside any list", item_name(item->type));
    }
    append(list, item);
    return 0;
}

// Part bodies and fill boundaries hold only the items of codes 2..7.
bool CompilActions::in_nested_list() const { return vectors_ != nullptr || !fills_.empty(); }

// Pin numbers are never dropped: a pin may not hold more of them than its
// part has devices.
int CompilActions::check_pin_numbers(int devices) {
    const Pin* over = nullptr;
    for_each_pin(part_, [&](Pin* pin) {
        if (!over && pin->numbers.size() > static_cast<size_t>(devices)) over = pin;
    });
    if (over) return fail("pin '%s' has more numbers than its part has devices", over->name.get());
    return 0;
}

// --- library ----------------------------------------------------------------------------------

int CompilActions::lib_begin() {
    if (library_) return 0;  // a schematic's own library
    if (mode_ != COMPIL_LIBRARY) return 1;
    library_ = new_Library();
    own_library_ = true;
    set_Library_name(library_, bare_name(source_name_.c_str()).c_str());
    return 0;
}

int CompilActions::prefix(const char* name, const char* value) {
    Prefix* prefix = new_Prefix();
    prefix->prefix.set(name);
    prefix->expansion.set(value);
    append(library_->prefixes, prefix);
    return 0;
}

int CompilActions::lpart_begin() {
    release_part();  // an "(LPART" without "(PART" has no part of its own
    return 0;
}

int CompilActions::part_begin() {
    release_part();
    part_ = new_Part();
    return 0;
}

int CompilActions::part_size(int32_t width, int32_t height) {
    part_->body.w = width;
    part_->body.h = height;
    return 0;
}

int CompilActions::part_reference(const char* prefix) {
    part_->prefix.set(prefix);
    return 0;
}

int CompilActions::part_sheet_path(const char* path) {
    set_Part_sheet_path(part_, path);
    return 0;
}

int CompilActions::part_type(uint8_t type, int32_t devices) {
    if (!fits(devices, 1, MAX_PART_DEVICES))
        return fail("device count %d outside 1..%d", devices, MAX_PART_DEVICES);
    if (check_pin_numbers(devices) != 0) return 1;
    part_->type = type;
    set_Part_devices(part_, devices);
    return 0;
}

int CompilActions::part_end() {
    // Bodies may come before "(COMMON": their pins took every number given
    // and get their tables sized for the final device count here.
    if (check_pin_numbers(part_->devices) != 0) return 1;
    set_Part_devices(part_, part_->devices);
    return 0;
}

int CompilActions::body_begin(int form) {
    body_form_ = form;
    return 0;
}

// A later body block of the same kind replaces the earlier one's set.
void CompilActions::set_body(Vectors* set) {
    Vectors*& slot = body_form_ ? part_->convert : part_->normal;
    if (slot) unref_Vectors(slot);
    ref_Vectors(set);
    slot = set;
}

int CompilActions::vector_begin() {
    Vectors* set = made(new_Vectors());
    set_body(set);
    vectors_ = set;
    items_ = set->items;
    return 0;
}

int CompilActions::vector_end() {
    vectors_ = nullptr;
    items_ = nullptr;
    return 0;
}

int CompilActions::vector_ref(uint8_t mode, const char* part) {
    Vectors* set = made(new_Vectors());
    set->saved_mode = mode;
    set->name.set(part);
    set_body(set);
    return 0;
}

int CompilActions::pins_begin() {
    PinList* list = made(new_PinList());
    PinList*& slot = body_form_ ? part_->convert_pins : part_->normal_pins;
    free_PinList(slot, part_->devices);
    slot = list;
    pins_ = list;
    return 0;
}

int CompilActions::pin_begin() {
    pin_ = made(new_Pin(part_->devices));
    append(pins_->pins, pin_);
    pin_index_ = 0;
    return 0;
}

int CompilActions::pin_number(const char* number) {
    if (pin_index_ >= MAX_PART_DEVICES) return fail("more than %d pin numbers", MAX_PART_DEVICES);
    set_pin_number(pin_, pin_index_++, number);
    return 0;
}

int CompilActions::pin_end(const char* name, uint8_t shape, uint8_t type, Point pos) {
    pin_->name.set(name);
    pin_->flags = shape;
    if (type != 0) pin_->type = type;
    pin_->pos = pos;
    pin_ = nullptr;
    return 0;
}

int CompilActions::pins_end() {
    pins_ = nullptr;
    return 0;
}

int CompilActions::body_end() { return 0; }

int CompilActions::name_begin() {
    free_Attribute_list(attributes_);
    attributes_ = nullptr;
    placing_ = false;
    attribute_options_ = 0;
    return 0;
}

int CompilActions::name_end(const char* name) {
    if (!part_) return fail("alias '%s' has no part", name);
    LibEntry* entry = new_LibEntry();
    entry->name.set(name);
    entry->part = part_;
    ref_Part(part_);
    entry->attributes = attributes_;
    attributes_ = nullptr;
    free_LibEntry(lib_insert_entry(library_, entry));
    return 0;
}

int CompilActions::attribute_begin() { return 0; }

int CompilActions::attribute_end(const char* text, uint8_t flags, uint8_t options, Point pos) {
    attribute_options_ |= options;
    if (placing_ && part_attribute_count_ < 2) {
        Attribute& slot = part_attributes_[part_attribute_count_++];
        slot = Attribute{};
        slot.flags = flags;
        slot.text.set(text);
        slot.pos = pos;
        return 0;
    }
    Attribute* attribute = made(new_Attribute());
    attribute->flags = flags;
    attribute->text.set(text);
    attribute->pos = pos;
    if (!attributes_) attributes_ = made(list_new());
    append(attributes_, attribute);
    return 0;
}

int CompilActions::lpart_end() {
    release_part();
    return 0;
}

int CompilActions::lib_end(const char* name) {
    set_Library_name(library_, bare_name(name).c_str());
    return 0;
}

// --- graphic items ----------------------------------------------------------------------------

int CompilActions::line(uint8_t flags, Point first, Point second) {
    Line* line = made(new_Line());
    line->flags = flags;
    line->pos = first;
    line->end = second;
    return append_item(line);
}

int CompilActions::arc(uint8_t flags, Point start, Point end, Point centre, uint8_t direction) {
    Arc* arc = made(new_Arc());
    arc->flags = flags;
    arc->start = start;
    arc->end = end;
    arc->pos = centre;
    arc->dir = direction;
    return append_item(arc);
}

int CompilActions::circle(uint8_t flags, Point on_circle, Point centre) {
    Circle* circle = made(new_Circle());
    circle->flags = flags;
    circle->on = on_circle;
    circle->pos = centre;
    return append_item(circle);
}

int CompilActions::rect(uint8_t flags, Point first, Point opposite) {
    Boite* box = made(new_Rect());
    box->flags = flags;
    box->pos = first;
    box->corner = opposite;
    return append_item(box);
}

int CompilActions::fill_begin() {
    // The binary readers refuse fills nested deeper: such a file could be
    // written but never read again.
    if (fills_.size() >= static_cast<size_t>(MAX_FILL_DEPTH))
        return fail("fills nested more than %d deep", MAX_FILL_DEPTH);
    Fill* fill = new_Fill();
    if (!fill || !fill->items) no_memory();
    if (append_item(fill) != 0) return 1;
    saved_items_.push_back(items_);
    fills_.push_back(fill);
    items_ = fill->items;
    return 0;
}

int CompilActions::fill_end(Point seed) {
    Fill* fill = fills_.back();
    fill->width = 100;
    fill->pos = seed;
    items_ = saved_items_.back();
    fills_.pop_back();
    saved_items_.pop_back();
    return 0;
}

int CompilActions::poly_begin(int32_t, uint8_t flags) {
    if (in_nested_list()) return fail("a polyline cannot stand in a part body or a fill");
    Poly* poly = made(new_Poly());
    poly->flags = flags;
    if (append_item(poly) != 0) return 1;
    poly_ = poly;
    return 0;
}

int CompilActions::poly_point(Point p) {
    poly_->points.push_back(p);
    return 0;
}

int CompilActions::poly_end() {
    poly_ = nullptr;
    return 0;
}

int CompilActions::text(const CompilText& source) {
    // The binary form keeps the font number in a byte and the size in 16 bits.
    if (!fits(source.font, 0, 255)) return fail("text font %d outside 0..255", source.font);
    if (!fits(source.width, INT16_MIN, INT16_MAX) || !fits(source.height, INT16_MIN, INT16_MAX))
        return fail("text size %d x %d outside 16 bits", source.width, source.height);
    Text* text = made(new_Text());
    text->font = source.font;
    text->pos = source.pos;
    text->size.width = static_cast<int16_t>(source.width);
    text->size.height = static_cast<int16_t>(source.height);
    text->string = source.value;
    text->flags = source.flags;
    text->field = source.field;
    text->width = 100;
    if (strncasecmp(source.value, "&PROJ:", 6) == 0) may_name_sheets_ = true;
    return append_item(text);
}

// --- schematic ----------------------------------------------------------------------------------

int CompilActions::schematic_begin() {
    schema_ = new_Schema();
    library_ = new_Library();
    schema_->library = library_;
    own_library_ = false;
    return 0;
}

int CompilActions::ports_begin() {
    if (!schema_->ports) schema_->ports = made(list_new());
    items_ = schema_->ports;
    return 0;
}

int CompilActions::port(uint8_t flags, Point pos, const char* name) {
    Port* port = made(new_Port());
    port->flags = flags;
    port->pos = pos;
    port->name.set(name);
    return append_item(port);
}

int CompilActions::sheet_begin() {
    if (!schema_->sheet && !(schema_->sheet = new_Sheet())) no_memory();
    if (!schema_->sheet->items) schema_->sheet->items = made(list_new());
    items_ = schema_->sheet->items;
    return 0;
}

int CompilActions::placed_part_begin() {
    free_Attribute_list(attributes_);
    attributes_ = nullptr;
    placing_ = true;
    part_attribute_count_ = 0;
    attribute_options_ = 0;
    return 0;
}

int CompilActions::placed_part_end(const CompilPlacedPart& source) {
    placing_ = false;
    if (part_attribute_count_ < 2)
        return fail("placed part '%s' needs a reference and a value attribute", source.name);
    if (!fits(source.device, 0, MAX_PART_DEVICES - 1))
        return fail("device %d outside 0..%d", source.device, MAX_PART_DEVICES - 1);
    PlacedPart* pl = made(new_PlacedPart());
    pl->flags = source.flags | attribute_options_;
    pl->time_stamp = source.stamp;
    pl->scale = scale_code(source.scale);
    pl->device = source.device;
    pl->pos = source.pos;
    pl->part_name.set(source.name);
    pl->sheet_path = source.sheet_path;
    take_attribute(&pl->reference, &part_attributes_[0]);
    take_attribute(&pl->value, &part_attributes_[1]);
    pl->attributes = attributes_;  // the third and later, or none
    attributes_ = nullptr;
    return append_item(pl);
}

int CompilActions::junction(Point pos, int32_t size, uint8_t shape) {
    Junction* junction = made(new_Junction());
    junction->pos = pos;
    junction->width = static_cast<int16_t>(size);  // 400, 800 or 1200
    junction->flags = shape;
    return append_item(junction);
}

int CompilActions::nocon(Point pos) {
    NoCon* nocon = made(new_NoCon());
    nocon->pos = pos;
    return append_item(nocon);
}

int CompilActions::power(const char* name, uint8_t flags, Point pos) {
    Power* power = made(new_Power());
    power->name.set(name);
    power->flags = flags;
    power->pos = pos;
    return append_item(power);
}

int CompilActions::subsheet_begin() {
    SubSheet* box = made(new_SubSheet());
    if (append_item(box) != 0) return 1;
    subsheet_ = box;
    saved_items_.push_back(items_);
    return 0;
}

int CompilActions::subsheet_ports_begin() {
    items_ = subsheet_->ports;
    return 0;
}

int CompilActions::subsheet_end(const CompilSubSheet& source) {
    SubSheet* box = subsheet_;
    items_ = saved_items_.back();
    saved_items_.pop_back();
    subsheet_ = nullptr;
    box->time_stamp = source.id;
    box->pos = source.pos;
    box->size = Point{source.width, source.height};
    box->sheet_name.set(source.sheet_name);
    box->file_name = source.file_name;
    subsheet_reset_area(box);
    if (*source.file_name) may_name_sheets_ = true;
    // A box without a file names nothing to compile.
    if (!sheets_ || !*source.file_name || proper_get(COMPSHEET_HIER) != 0) return 0;
    // The list may have grown since the last box (the caller's own names).
    if (names_ == &own_names_)
        for (; sheets_indexed_ < sheets_->size(); ++sheets_indexed_)
            own_names_.add((*sheets_)[sheets_indexed_].name);
    if (names_->has(source.file_name)) return 0;
    names_->add(source.file_name);
    sheets_->push_back(SheetName{1, source.file_name});
    ++sheets_indexed_;
    return 0;
}

void SheetNames::remove(const std::string& name) {
    auto found = counts_.find(name);
    if (found != counts_.end() && --found->second == 0) counts_.erase(found);
}

bool SheetNames::NameOrder::operator()(const std::string& a, const std::string& b) const {
    return lib_name_compare(a.c_str(), b.c_str()) < 0;
}

int CompilActions::netprop(const CompilNetProp& source) {
    for (int32_t byte : {source.start_layer, source.end_layer, source.net_type})
        if (!fits(byte, INT8_MIN, INT8_MAX))
            return fail("net property value %d outside -128..127", byte);
    NetProp* label = made(new_NetProp());
    label->pos = source.pos;
    label->name.set(source.name);
    label->track_width = source.track_width;
    label->isolation = source.isolation;
    label->via_size = source.via_size;
    label->via_drill = source.via_drill;
    label->start_layer = static_cast<int8_t>(source.start_layer);
    label->end_layer = static_cast<int8_t>(source.end_layer);
    label->net_type = static_cast<int8_t>(source.net_type);
    return append_item(label);
}

int CompilActions::image(const CompilImage& source) {
    // BOXED shares its bit with the picture format.
    if (source.flags & BOXED) return fail("an image cannot be BOXED");
    if (!source.bmp) {
        warn("image '%s' is no BMP: left out", source.file);
        return 0;
    }
    int result = 0;
    Dib* bitmap = image_read_file(source.file, IMAGE_FORMAT_BMP, &result);
    if (!bitmap) {
        warn("image '%s' %s: left out", source.file,
             result == 1 ? "cannot be opened" : "is no readable BMP");
        return 0;
    }
    Image* image = made(new_Image());
    image->flags = source.flags;
    image->pos = source.pos;
    image->size = Point{source.width, source.height};
    image->file_name = str_dup(source.file);
    image->bitmap = bitmap;
    return append_item(image);
}

int CompilActions::erclist_begin() {
    if (!schema_->erc_list) schema_->erc_list = made(list_new());
    return 0;
}

int CompilActions::erc_mark(int32_t number, Point pos) {
    append(schema_->erc_list, make_erc_mark(number, pos));
    return 0;
}

// The sheet writer writes the marks that stand among a sheet's items there.
int CompilActions::sheet_erc_mark(int32_t number, Point pos) {
    return append_item(make_erc_mark(number, pos));
}

int CompilActions::schematic_end() {
    // Every document has its root sheet, also one whose source has none.
    if (!schema_->sheet) sheet_begin();
    schema_->current = schema_->sheet;
    items_ = nullptr;
    return 0;
}

// --- title block ---------------------------------------------------------------------------------

int CompilActions::titleblock_begin() {
    items_ = nullptr;
    if (schema_) return 0;  // a schematic's own
    if (mode_ != COMPIL_TITLEBLOCK) return 1;
    schema_ = new_Schema();
    return 0;
}

int CompilActions::titleblock_field(int field, const char* value) {
    if (field == FIELD_SHEETSIZE) {
        int code = sheet_size_code(value);
        if (code < 0) return fail("unknown sheet size '%s'", value);
        schema_->sheet_size = static_cast<int8_t>(code);
        return 0;
    }
    schema_set_field(schema_, field, value);
    return 0;
}

int CompilActions::controls_begin() {
    TitleBlock& block = schema_->titleblock;
    if (!block.fields) block.fields = made(list_new());
    items_ = block.fields;
    return 0;
}

int CompilActions::controls_end() {
    items_ = nullptr;
    return 0;
}

int CompilActions::titleblock_vector_begin() {
    TitleBlock& block = schema_->titleblock;
    if (!block.drawing) block.drawing = made(list_new());
    items_ = block.drawing;
    return 0;
}

int CompilActions::titleblock_vector_end() { return 0; }

int CompilActions::titleblock_end() {
    items_ = nullptr;
    if (mode_ != COMPIL_TITLEBLOCK) return 0;  // a schematic's: schematic_end finishes
    if (!schema_->sheet) sheet_begin();
    schema_->current = schema_->sheet;
    items_ = nullptr;
    return 0;
}

// --- fonts ---------------------------------------------------------------------------------------

int CompilActions::fonts_begin() {
    free_Fonts(fonts_);
    fonts_ = nullptr;
    return 0;
}

int CompilActions::font(const CompilFont& source) {
    if (!fits(source.id, FONT_ID_BASE, FONT_ID_BASE + FONT_NUMBER_MAX))
        return fail("font id %d outside %d..%d", source.id, FONT_ID_BASE,
                    FONT_ID_BASE + FONT_NUMBER_MAX);
    const int32_t bytes[] = {source.italic,   source.underline,     source.strike_out,
                             source.char_set, source.out_precision, source.clip_precision,
                             source.quality,  source.pitch_family};
    // The writers give the bytes signed; either reading fits a byte.
    for (int32_t byte : bytes)
        if (!fits(byte, INT8_MIN, UINT8_MAX)) return fail("font value %d outside -128..255", byte);
    Font* font = new_Font();
    font->number = source.id - FONT_ID_BASE;
    font->state = 1;
    font->size = source.size;
    font->height = source.height;
    font->width = source.width;
    font->escapement = source.escapement;
    font->orientation = source.orientation;
    font->weight = source.weight;
    uint8_t* slots[] = {&font->italic,   &font->underline,       &font->strike_out,
                        &font->char_set, &font->out_precision,   &font->clip_precision,
                        &font->quality,  &font->pitch_and_family};
    for (size_t i = 0; i < std::size(slots); ++i) *slots[i] = static_cast<uint8_t>(bytes[i]);
    font_set_face(font, source.face);
    if (!fonts_) fonts_ = made(list_new());
    append(fonts_, font);
    return 0;
}

int CompilActions::fonts_end(CompilFontOwner owner) {
    if (owner == COMPIL_FONTS_LIBRARY) {
        free_Fonts(library_->fonts);
        library_->fonts = fonts_;
        fonts_ = nullptr;
        resolve_LibFonts(library_);
        return 0;
    }
    schema_free_fonts(schema_);
    schema_->fonts = fonts_;
    fonts_ = nullptr;
    if (schema_->sheet) resolve_item_fonts(schema_->sheet->items, schema_->fonts);
    resolve_item_fonts(schema_->titleblock.fields, schema_->fonts);
    resolve_item_fonts(schema_->titleblock.drawing, schema_->fonts);
    return 0;
}

// --- entry points ----------------------------------------------------------------------------------

namespace {

// One compilation through `run` (a reader entry point taking the builder).
template <class Run>
int run_library(const char* source_name, Library** out, Run&& run) {
    *out = nullptr;
    CompilActions actions(source_name, nullptr);
    int result = run(actions);
    if (result == 0) *out = actions.take_library();
    return result;
}

template <class Run>
int run_schema(SheetList* sheets, Schema** out, Run&& run) {
    *out = nullptr;
    CompilActions actions(nullptr, sheets);
    int result = run(actions);
    if (result == 0) *out = actions.take_schema();
    return result;
}

}  // namespace

int compile_library_file(FILE* file, const char* source_name, CompilReport report, Library** out) {
    return run_library(source_name, out, [&](CompilActions& a) {
        return compil_file(file, COMPIL_LIBRARY, a, report);
    });
}

int compile_library_string(std::string_view text, const char* source_name, CompilReport report,
                           Library** out) {
    return run_library(source_name, out, [&](CompilActions& a) {
        return compil_string(text, COMPIL_LIBRARY, a, report);
    });
}

int compile_library_path(const char* path, CompilReport report, Library** out) {
    return run_library(
        path, out, [&](CompilActions& a) { return compil_path(path, COMPIL_LIBRARY, a, report); });
}

int compile_schema_file(FILE* file, int mode, CompilReport report, SheetList* sheets,
                        Schema** out) {
    return run_schema(sheets, out,
                      [&](CompilActions& a) { return compil_file(file, mode, a, report); });
}

int compile_schema_string(std::string_view text, int mode, CompilReport report, SheetList* sheets,
                          Schema** out) {
    return run_schema(sheets, out,
                      [&](CompilActions& a) { return compil_string(text, mode, a, report); });
}

int compile_schema_path(const char* path, int mode, CompilReport report, SheetList* sheets,
                        Schema** out) {
    return run_schema(sheets, out,
                      [&](CompilActions& a) { return compil_path(path, mode, a, report); });
}
