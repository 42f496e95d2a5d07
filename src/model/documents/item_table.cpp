// The operations table (model/items/item_ops.h): one row per item code.
// A new sheet-item kind is its record file plus one row here.
//
// Rows name the kinds' own verb_Type routines; `op<F>` fits a routine to
// its slot: the routine's leading parameters (the document, its library,
// the view) come from the context, the head is cast to the routine's
// record, and the remaining arguments are passed on.
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "model/documents/erc_mark.h"
#include "model/documents/ident.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/item_ops.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace {

template <class F>
struct Parameters;
template <class R, class... P>
struct Parameters<R (*)(P...)> {
    using type = std::tuple<P...>;
};

template <class P>
P from_context(const ItemContext& context);
template <>
Schema* from_context<Schema*>(const ItemContext& context) {
    return context.schema;
}
template <>
Library* from_context<Library*>(const ItemContext& context) {
    return context.schema ? context.schema->library : nullptr;
}
template <>
View* from_context<View*>(const ItemContext& context) {
    return context.view;
}

// Calls F on the head as F's record, with its leading parameters from the
// context and the rest as given. A result the slot has no room for (a
// release that answers a code) is dropped.
template <auto F, class R, class Head, class... Rest, size_t... I>
R call_with(std::index_sequence<I...>, const ItemContext& context, Head* item, Rest... rest) {
    using P = typename Parameters<decltype(F)>::type;
    using Record = std::tuple_element_t<sizeof...(I), P>;
    if constexpr (std::is_void_v<R>)
        F(from_context<std::tuple_element_t<I, P>>(context)..., static_cast<Record>(item), rest...);
    else
        return F(from_context<std::tuple_element_t<I, P>>(context)..., static_cast<Record>(item),
                 rest...);
}

template <auto F, class R, class Head, class... Rest>
R call(const ItemContext& context, Head* item, Rest... rest) {
    constexpr size_t leading =
        std::tuple_size_v<typename Parameters<decltype(F)>::type> - 1 - sizeof...(Rest);
    return call_with<F, R, Head, Rest...>(std::make_index_sequence<leading>{}, context, item,
                                          rest...);
}

template <auto F>
struct Op {
    template <class R, class Head, class... Rest>
    using Slot = R (*)(const ItemContext&, Head*, Rest...);
    template <class R, class Head, class... Rest>
    constexpr operator Slot<R, Head, Rest...>() const {
        return &call<F, R, Head, Rest...>;
    }
};
template <auto F>
constexpr Op<F> op{};

template <auto F>
SchItem* made() {
    return F();
}

// The extent of the primitives that have one: their bounds, never merged.
template <auto F>
bool bounds_alone(const ItemContext& context, SchItem* item, Rect* rect) {
    return call<F, bool, SchItem, Rect*, bool>(context, item, rect, false);
}

template <auto F>
bool compared(const SchItem* a, const SchItem* b) {
    using Record = std::tuple_element_t<0, typename Parameters<decltype(F)>::type>;
    return F(static_cast<Record>(a), static_cast<Record>(b));
}

// --- what has no routine of its kind ---------------------------------------------------

// The rectangle with its line width (bounds_Rect's default, fixed here).
bool bounds_Box(Schema* doc, Boite* box, Rect* rect, bool accumulate) {
    return bounds_Rect(doc, box, rect, accumulate, true);
}

// A text is bound to the document's fonts as soon as it is read.
int read_TextItem(Schema* doc, Text* text, FILE* stream) {
    int result = read_Text(text, stream);
    if (doc) set_TextFonts(text, doc->fonts);
    return result;
}

bool bounds_TitleBlockItem(TitleBlock* block, Rect* rect, bool accumulate) {
    if (accumulate)
        rect_union(rect, block->bounds);
    else
        *rect = block->bounds;
    return true;
}

// A link whose two targets are placed parts has the first one's extent.
bool extent_PseudoPin(Schema* doc, PseudoPin* link, Rect* rect) {
    if (!pp_is_link(link) || !link->whoami || !link->father) return false;
    if (link->whoami->type != PARTLIB_ITEM || link->father->type != PARTLIB_ITEM) return false;
    return extent_PlacedPart(doc, as_PlacedPart(link->whoami), rect);
}

void anchor_at_pos(const SchItem* item, Point* out) { *out = item->pos; }
void anchor_Circle(const SchItem* item, Point* out) { *out = as_Circle(item)->on; }
void anchor_Rect(const SchItem* item, Point* out) { *out = as_Rect(item)->corner; }
void anchor_Line(const SchItem* item, Point* out) { *out = as_Line(item)->end; }
void anchor_Arc(const SchItem* item, Point* out) { *out = as_Arc(item)->end; }
void anchor_Poly(const SchItem* item, Point* out) {
    const Poly* poly = as_Poly(item);
    *out = poly->points.empty() ? Point{} : poly->points.front();
}
void anchor_PseudoPin(const SchItem* item, Point* out) {
    const PseudoPin* link = as_PseudoPin(item);
    if (pp_is_link(link) && link->whoami)
        anchor_SchItem(link->whoami, out);
    else
        *out = Point{};
}

// --- the rows ------------------------------------------------------------------------------

constexpr std::array<ItemOps, ITEM_CODE_LIMIT> build_table() {
    std::array<ItemOps, ITEM_CODE_LIMIT> table{};  // 0 and 1: no code
    table[SCHEMA_ITEM].name = "SCHEMA_ITEM";       // codes of no sheet record
    table[ATTR_ITEM].name = "ATTR_ITEM";

    // Kept as rows, one slot after the other: a row reads as one line of
    // the table.
    // clang-format off
    table[FILL_ITEM] = {
        .name = "FILL_ITEM",
        .sheet_tag = item_tag(FILL_ITEM), .masked = true, .make = made<new_Fill>,
        .release = op<free_Fill>, .read = op<read_Fill>, .write = op<write_Fill>,
        .awrite = op<awrite_Fill>, .matrix = op<matrix_Fill>, .bounds = op<bounds_Fill>,
        .extent = bounds_alone<bounds_Fill>, .flag = op<flag_Fill>, .distance = op<distance_Fill>,
        .select = op<select_Fill>, .copy = op<copy_Fill>, .anchor = anchor_at_pos,
        .compare = compared<compare_Fill>
    };

    table[CIRCLE_ITEM] = {
        .name = "CIRCLE_ITEM",
        .sheet_tag = item_tag(CIRCLE_ITEM), .masked = true, .make = made<new_Circle>,
        .release = op<free_Circle>, .read = op<read_Circle>, .write = op<write_Circle>,
        .awrite = op<awrite_Circle>, .matrix = op<matrix_Circle>, .bounds = op<bounds_Circle>,
        .extent = bounds_alone<bounds_Circle>, .flag = op<flag_Circle>,
        .distance = op<distance_Circle>, .select = op<select_Circle>, .copy = op<copy_Circle>,
        .anchor = anchor_Circle, .compare = compared<compare_Circle>
    };

    table[BOITE_ITEM] = {
        .name = "BOITE_ITEM",
        .sheet_tag = item_tag(BOITE_ITEM), .masked = true, .make = made<new_Rect>,
        .release = op<free_Rect>, .read = op<read_Rect>, .write = op<write_Rect>,
        .awrite = op<awrite_Rect>, .matrix = op<matrix_Rect>, .bounds = op<bounds_Box>,
        .extent = bounds_alone<bounds_Box>, .flag = op<flag_Rect>, .distance = op<distance_Rect>,
        .select = op<select_Rect>, .copy = op<copy_Rect>, .anchor = anchor_Rect,
        .compare = compared<compare_Rect>
    };

    table[LINE_ITEM] = {
        .name = "LINE_ITEM",
        .sheet_tag = item_tag(LINE_ITEM), .masked = true, .make = made<new_Line>,
        .release = op<free_Line>, .read = op<read_Line>, .write = op<write_Line>,
        .awrite = op<awrite_Line>, .matrix = op<matrix_Line>, .bounds = op<bounds_Line>,
        .extent = bounds_alone<bounds_Line>, .flag = op<flag_Line>, .distance = op<distance_Line>,
        .select = op<select_Line>, .copy = op<copy_Line>, .anchor = anchor_Line,
        .compare = compared<compare_Line>
    };

    table[ARC_ITEM] = {
        .name = "ARC_ITEM",
        .sheet_tag = item_tag(ARC_ITEM), .masked = true, .make = made<new_Arc>,
        .release = op<free_Arc>, .read = op<read_Arc>, .write = op<write_Arc>,
        .awrite = op<awrite_Arc>, .matrix = op<matrix_Arc>, .bounds = op<bounds_Arc>,
        .extent = bounds_alone<bounds_Arc>, .flag = op<flag_Arc>, .distance = op<distance_Arc>,
        .select = op<select_Arc>, .copy = op<copy_Arc>, .anchor = anchor_Arc,
        .compare = compared<compare_Arc>
    };

    table[TEXT_ITEM] = {
        .name = "TEXT_ITEM",
        .sheet_tag = item_tag(TEXT_ITEM), .masked = true, .make = made<new_Text>,
        .release = op<free_Text>, .read = op<read_TextItem>, .write = op<write_Text>,
        .awrite = op<awrite_Text>, .matrix = op<matrix_Text>, .bounds = op<bounds_Text>,
        .extent = bounds_alone<bounds_Text>, .flag = op<flag_Text>, .distance = op<distance_Text>,
        .select = op<select_Text>, .copy = op<copy_Text>, .anchor = anchor_at_pos,
        .compare = compared<compare_Text>
    };

    table[JUNCTION_ITEM] = {
        .name = "JUNCTION_ITEM",
        .sheet_tag = item_tag(JUNCTION_ITEM), .masked = true, .make = made<new_Junction>,
        .release = op<free_Junction>, .read = op<read_Junction>, .write = op<write_Junction>,
        .awrite = op<awrite_Junction>, .matrix = op<matrix_Junction>,
        .bounds = op<bounds_Junction>, .flag = op<flag_Junction>,
        .distance = op<distance_Junction>, .select = op<select_Junction>,
        .copy = op<copy_Junction>, .anchor = anchor_at_pos, .compare = compared<compare_Junction>
    };

    table[POLY_ITEM] = {
        .name = "POLY_ITEM",
        .sheet_tag = item_tag(POLY_ITEM), .masked = true, .make = made<new_Poly>,
        .release = op<free_Poly>, .read = op<read_Poly>, .write = op<write_Poly>,
        .awrite = op<awrite_Poly>, .matrix = op<matrix_Poly>, .bounds = op<bounds_Poly>,
        .flag = op<flag_Poly>, .distance = op<distance_Poly>, .select = op<select_Poly>,
        .copy = op<copy_Poly>, .anchor = anchor_Poly, .compare = compared<compare_Poly>
    };

    table[PARTLIB_ITEM] = {
        .name = "PARTLIB_ITEM",
        .sheet_tag = item_tag(PARTLIB_ITEM), .masked = true, .make = made<new_PlacedPart>,
        .release = op<free_PlacedPart>, .read = op<read_PlacedPart>, .write = op<write_PlacedPart>,
        .awrite = op<awrite_PlacedPart>, .matrix = op<matrix_PlacedPart>, .bounds = op<pl_bounds>,
        .extent = op<extent_PlacedPart>, .flag = op<flag_PlacedPart>,
        .distance = op<distance_PlacedPart>, .select = op<select_PlacedPart>,
        .copy = op<copy_PlacedPart>, .anchor = anchor_at_pos
    };

    table[SHEET_ITEM] = {
        .name = "SHEET_ITEM",
        .sheet_tag = item_tag(SHEET_ITEM), .masked = true, .make = made<new_Sheet>,
        .release = op<free_Sheet>, .read = op<read_Sheet>, .write = op<write_Sheet>,
        .awrite = op<awrite_Sheet>, .matrix = op<matrix_Sheet>, .bounds = op<bounds_Sheet>,
        .flag = op<flag_Sheet>, .distance = op<distance_Sheet>, .select = op<select_Sheet>,
        .copy = op<copy_Sheet>
    };

    table[POWER_ITEM] = {
        .name = "POWER_ITEM",
        .sheet_tag = item_tag(POWER_ITEM), .masked = true, .make = made<new_Power>,
        .release = op<free_Power>, .read = op<read_Power>, .write = op<write_Power>,
        .awrite = op<awrite_Power>, .matrix = op<matrix_Power>, .bounds = op<bounds_Power>,
        .flag = op<flag_Power>, .distance = op<distance_Power>, .select = op<select_Power>,
        .copy = op<copy_Power>, .anchor = anchor_at_pos
    };

    table[NOCON_ITEM] = {
        .name = "NOCON_ITEM",
        .sheet_tag = item_tag(NOCON_ITEM), .masked = true, .make = made<new_NoCon>,
        .release = op<free_NoCon>, .read = op<read_NoCon>, .write = op<write_NoCon>,
        .awrite = op<awrite_NoCon>, .matrix = op<matrix_NoCon>, .bounds = op<bounds_NoCon>,
        .flag = op<flag_NoCon>, .distance = op<distance_NoCon>, .select = op<select_NoCon>,
        .copy = op<copy_NoCon>, .anchor = anchor_at_pos
    };

    table[PORT_ITEM] = {
        .name = "PORT_ITEM",
        .sheet_tag = item_tag(PORT_ITEM), .masked = true, .make = made<new_Port>,
        .release = op<free_Port>, .read = op<read_Port>, .write = op<write_Port>,
        .awrite = op<awrite_Port>, .matrix = op<matrix_Port>, .bounds = op<bounds_Port>,
        .flag = op<flag_Port>, .distance = op<distance_Port>, .select = op<select_Port>,
        .copy = op<copy_Port>, .anchor = anchor_at_pos
    };

    table[SUBSHEET_ITEM] = {
        .name = "SUBSHEET_ITEM",
        .sheet_tag = item_tag(SUBSHEET_ITEM), .masked = true, .make = made<new_SubSheet>,
        .release = op<free_SubSheet>, .read = op<read_SubSheet>, .write = op<write_SubSheet>,
        .awrite = op<awrite_SubSheet>, .matrix = op<matrix_SubSheet>,
        .bounds = op<bounds_SubSheet>, .flag = op<flag_SubSheet>,
        .distance = op<distance_SubSheet>, .select = op<select_SubSheet>,
        .copy = op<copy_SubSheet>, .anchor = anchor_at_pos
    };

    table[ERC_ITEM] = {
        .name = "ERC_ITEM",
        .sheet_tag = item_tag(ERC_ITEM), .masked = true, .make = made<new_ErcMark>,
        .release = op<free_ErcMark>, .read = op<read_ErcMark>, .write = op<write_ErcMark>,
        .awrite = op<awrite_ErcMark>, .matrix = op<matrix_ErcMark>, .bounds = op<bounds_ErcMark>,
        .flag = op<flag_ErcMark>, .distance = op<distance_ErcMark>, .select = op<select_ErcMark>,
        .copy = op<copy_ErcMark>, .anchor = anchor_at_pos
    };

    // Net identifiers and link records live only while nets are built or items
    // picked: never read or written as sheet items.
    table[IDENT_ITEM] = {
        .name = "IDENT_ITEM",
        .masked = true, .make = made<new_Ident>, .release = op<free_Ident>,
        .matrix = op<matrix_Ident>, .bounds = op<bounds_Ident>, .flag = op<flag_Ident>,
        .distance = op<distance_Ident>, .select = op<select_Ident>, .copy = op<copy_Ident>,
        .anchor = anchor_at_pos
    };

    table[PSEUDO_PIN] = {
        .name = "PSEUDO_PIN",
        .masked = true, .make = made<new_PseudoPin>, .release = op<free_PseudoPin>,
        .matrix = op<matrix_PseudoPin>, .bounds = op<bounds_PseudoPin>,
        .extent = op<extent_PseudoPin>, .flag = op<flag_PseudoPin>,
        .distance = op<distance_PseudoPin>, .select = op<select_PseudoPin>,
        .copy = op<copy_PseudoPin>, .anchor = anchor_PseudoPin
    };

    // The title block is the document's own: it stands in lists (picks, paste)
    // but is read, written and moved with the schema.
    table[TITLEBLOCK_ITEM] = {
        .name = "TITLEBLOCK_ITEM",
        .make = made<new_TitleBlock>, .release = op<free_TitleBlock>,
        .matrix = op<matrix_TitleBlock>, .bounds = op<bounds_TitleBlockItem>,
        .copy = op<copy_TitleBlock>
    };

    table[NETPROP_ITEM] = {
        .name = "NETPROP_ITEM",
        .sheet_tag = NETPROP_TAG, .masked = true, .make = made<new_NetProp>,
        .release = op<free_NetProp>, .read = op<read_NetProp>, .write = op<write_NetProp>,
        .awrite = op<awrite_NetProp>, .matrix = op<matrix_NetProp>, .bounds = op<bounds_NetProp>,
        .flag = op<flag_NetProp>, .distance = op<distance_NetProp>, .select = op<select_NetProp>,
        .copy = op<copy_NetProp>, .anchor = anchor_at_pos
    };

    table[IMAGE_ITEM] = {
        .name = "IMAGE_ITEM",
        .sheet_tag = IMAGE_TAG, .masked = true, .make = made<new_Image>,
        .release = op<free_Image>, .read = op<read_Image>, .write = op<write_Image>,
        .awrite = op<awrite_Image>, .matrix = op<matrix_Image>, .bounds = op<bounds_Image>,
        .flag = op<flag_Image>, .distance = op<distance_Image>, .select = op<select_Image>,
        .copy = op<copy_Image>, .anchor = anchor_at_pos
    };

    // clang-format on
    return table;
}

}  // namespace

constinit const std::array<ItemOps, ITEM_CODE_LIMIT> ITEM_OPS = build_table();
