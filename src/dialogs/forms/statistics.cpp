#include "dialogs/forms/statistics.h"

#include <cstdio>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "editor/undo.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "model/documents/owners.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"

int count_sheet_nets(Schema* schema) {
    if (!schema || !schema->current) return 0;
    DocumentCopy copy;
    if (!keep_document_copy(&copy, schema)) return 0;
    Schema* made = nullptr;
    if (restore_document_copy(&copy, nullptr, &made) != 0 || !made) return 0;
    Owner<Schema> held(made);
    NetContext* context = new_NetContext();
    if (!context) no_memory();
    build_sheet_nets(context, made);
    const int nets = context->islands ? static_cast<int>(context->islands->count) : 0;
    sheet_nets_cleanup(context, made, 1);
    free_NetContext(made, context);
    return nets;
}

StatsCounts stats_counts(Schema* current, const std::vector<Schema*>& open_sheets) {
    StatsCounts counts;
    for (Schema* schema : open_sheets) {
        if (!schema || !schema->current) continue;
        List* items = schema->current->items;
        counts.parts += count_SchItems(schema, items, 0);
        counts.pins += count_SchItems(schema, items, 1);
        counts.powers += count_SchItems(schema, items, 5);
        counts.subsheets += count_SchItems(schema, items, 3);
        counts.subsheet_ports += count_SchItems(schema, items, 6);
        counts.junctions += count_SchItems(schema, items, 2);
    }
    counts.nets = count_sheet_nets(current);
    return counts;
}

std::string stats_value_text(int value) {
    char text[24];
    std::snprintf(text, sizeof text, "%8d", value);
    return text;
}
