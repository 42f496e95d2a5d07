#pragma once
// What the Statistics box counts: parts, pins, sub-sheets, their ports,
// power symbols and junctions over the open sheets, and the nets of the
// current sheet.
#include <string>
#include <vector>

struct Schema;

struct StatsCounts {
    int parts = 0;
    int pins = 0;
    int subsheet_ports = 0;
    int powers = 0;  // power symbols and power pins
    int subsheets = 0;
    int junctions = 0;
    int nets = 0;
};

// The nets of a document's current sheet. They are built on a copy of the
// document, so that the document itself (its records, their connection
// state and its file form) stays exactly as it was.
int count_sheet_nets(Schema* schema);
// The counts over the open sheets and the nets of the current document
// (none: no nets).
StatsCounts stats_counts(Schema* current, const std::vector<Schema*>& open_sheets);
// A count as the box shows it: "%8d".
std::string stats_value_text(int value);
