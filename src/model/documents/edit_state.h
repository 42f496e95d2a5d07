#pragma once
// The sheet editor's state kept in each document, and the data operations
// on it that the document layer calls: releasing the edit copy of a part,
// giving up one entry of a pick result, marking the items the edit filter
// admits, and two list look-ups.
//
// The schema creates the state empty and releases it (free_Schema); its use
// is the sheet editor's.
#include <cstdint>

struct List;
struct DListNode;
struct Part;
struct Schema;
struct SchItem;
struct SheetIndex;

struct EditState {
    Part* part_copy = nullptr;   // edit copy of a part: its bodies and pin lists borrow
                                 // their items; released by edit_free_part_copy
    List* edit_list = nullptr;   // the items being edited (the list only is owned)
    List* side_list = nullptr;   // the list only is owned
    List* paste_list = nullptr;  // owned together with its items
    int32_t repeat[3] = {};      // repeat range: where Repeat starts and ends
    List* undo_list = nullptr;   // items taken out by the last Edit Item(s); the list only is owned
    List* search_list = nullptr;  // search matches; the list only is owned
    int32_t search_count = 0;
    SheetIndex* index = nullptr;  // owned: the bounds index of the current sheet (sheet_index.h)
    // A scratch copy of a shown document's items on its library, made and
    // dropped within one gesture: its index leaves what the drawing layer
    // keeps of that library's parts, which cannot have changed meanwhile.
    bool scratch_copy = false;
};

// Releases the edit copy of a part: both pin lists and both body vector sets
// as containers (their pins and items belong to the part being edited and
// stay alive), the part's links to them cleared; with release_part the
// part's reference is dropped (unref_Part). A null part is ignored.
void edit_free_part_copy(Part* part, bool release_part);

// Gives up one entry of a pick result: clears the state bits 0x800C and sets
// 0x0001; a link record (code 20) is undone by what it stands for (an
// attribute text is released and the attribute's state set back to 1; a
// temporary placed part of picked pieces is taken apart; a sub-sheet port's
// state is set back to 1) and then released; any other entry whose state
// has 0x0400 (temporary) is released with free_SchItem. The caller takes
// the entry out of its list.
void release_picked_entry(Schema* schema, SchItem* item);

// Bits of the edit filter (property EDIT_MODE).
enum : uint32_t {
    EDIT_FILTER_PARTS = 0x1,
    EDIT_FILTER_PORTS = 0x2,
    EDIT_FILTER_POWERS = 0x4,
    EDIT_FILTER_WIRES = 0x8,
    EDIT_FILTER_BUSES = 0x10,
    EDIT_FILTER_SHEETS = 0x20,
    EDIT_FILTER_SHEET_NETS = 0x40,
    EDIT_FILTER_JUNCTIONS = 0x80,
    EDIT_FILTER_COMMENTS = 0x100,
    EDIT_FILTER_LABELS = 0x200,
    EDIT_FILTER_DRAWINGS = 0x400,
    EDIT_FILTER_NOCONS = 0x800,
    EDIT_FILTER_ALL = 0x40000000,  // every item, whatever the other bits
};
// True when the filter admits the item.
bool edit_filter_admits(uint32_t filter, const SchItem* item);
// True when the filter's table has a row for the code (ERC marks have one
// that only EDIT_FILTER_ALL passes).
bool edit_filter_has_row(int code);
// ORs the mask into the state of every item of the document (root sheet
// items, sub-sheet ports, the ports list; with EDIT_FILTER_ALL also the ERC
// marks) that the filter of property EDIT_MODE admits.
void mark_edit_filter(Schema* schema, uint32_t mask);

// The first node of an item list whose item has the code, or null.
DListNode* list_find_by_type(List* items, int code);
// The node of a list whose data is the item, or null (also for a null list).
DListNode* list_find_node(List* list, const void* item);
