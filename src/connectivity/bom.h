#pragma once
// The bill of materials: a paged text report of the parts of a project,
// one row per distinct key (the part's value and the chosen fields), with
// an item number, the quantity, the sorted references, one column per
// field and, optionally, a text from a merge file keyed the same way.
//
// Phases of bill_of_materials:
//   1. the settings give the chosen fields (BOM_FIELDS, attributes 2 and
//      up) and the page (BOM_WIDTH, BOM_HEIGHT);
//   2. the project's sheets are listed (BOM_HIER: the root alone);
//   3. the merge file (BOM_MERGE, BOM_MERGEFILE) adds rows with their texts;
//   4. every placed part of every sheet adds its reference to its key's row;
//   5. the report is written (through a temporary file) with the column
//      widths fixed by the longest texts, references wrapping onto
//      continuation lines and a page header every BOM_HEIGHT lines.
//
// Merge file: pairs of single-quoted strings, key then text ('' inside a
// string is one quote; anything outside strings is skipped). The first
// pair is the heading of the merge column.
#include <string>
#include <vector>

#include "connectivity/annotate_sheets.h"  // JobPrint

struct PlacedPart;

// The attribute numbers (2 and up) of the fields BOM_FIELDS chooses.
std::vector<int> bom_chosen_fields();
// A part's key: its value, then ',' and the text of each chosen attribute
// ("NULL" when the part has none).
std::string bom_key(PlacedPart* part, const std::vector<int>& fields);
// Row order: the shorter text before the first ',' first, then the whole
// key compared ignoring case. True when a comes before b.
bool bom_row_before(const std::string& a, const std::string& b);

// Writes the report of the project of `root` into `output`. 0; 85 when the
// project's sheets cannot be listed; the load code of a sheet that cannot
// be loaded (the report is then written from the sheets read before it);
// 50 with "Cannot create '%s' -- exiting\n" when the report cannot be
// created; 6 or 7 when writing it failed. Warnings about the merge file go
// to print (null: log_printf) and to the debug output.
int bill_of_materials(const char* root, const char* output, JobPrint print);
