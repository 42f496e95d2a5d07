#pragma once
// Owners of model records: a std::unique_ptr whose deleter is the record
// kind's free_X. Readers and loaders hold what they make in an owner until
// it is handed on (release()), so that every early return releases it.
//
//   Owner<Schema>     free_Schema
//   Owner<Library>    free_Library
//   Owner<Sheet>      free_Sheet, with the deleter's document
//   Owner<X>          free_SchItem for any sheet item X, with the deleter's
//                     document (placed parts release their library entry)
//   Owner<Attribute>  free_Attribute
//   Owner<PinList>    free_PinList
//   Owner<List>       the list's nodes only (dlist_free): the list does not
//                     own what it holds
#include <memory>

#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/pin.h"

struct RecordFree {
    Schema* schema = nullptr;  // not owned: the document the records belong to, or null

    void operator()(Schema* record) const { free_Schema(record, false); }
    void operator()(Library* record) const { free_Library(record); }
    void operator()(Sheet* record) const { free_Sheet(schema, record, false); }
    void operator()(SchItem* record) const { free_SchItem(schema, record, false); }
    void operator()(Attribute* record) const { free_Attribute(record); }
    void operator()(PinList* record) const { free_PinList(record); }
    void operator()(List* list) const { dlist_free(list, LIST_FROM_HEAD, nullptr); }
};

template <class R>
using Owner = std::unique_ptr<R, RecordFree>;
