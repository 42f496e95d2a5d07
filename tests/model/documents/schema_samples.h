#pragma once
// Documents for the tests of the schema file and the document layer: a
// rich document holding every section of the schema file, and the masking
// of today's date in written files (the writer stamps MODIFDATE).
#include <cstdint>
#include <string>

#include "model/documents/record_io.h"

struct Schema;

namespace schema_samples {

using record_io::Bytes;

// Fills a document made by make_schema (sheet_fixture.h): one item of every
// kind on the root sheet plus `random_items` generated ones (lines, texts
// in a document font, junctions, placed parts), the title block, every
// identification field, two fonts, two interface ports, two ERC marks, an
// ERC report name, two tags and a saved view. The same for the same seed.
void add_rich_document(Schema* schema, int random_items, uint32_t seed = 1);

// Every occurrence of today's date (as date_string writes it) replaced by
// as many '#'.
Bytes mask_today(Bytes bytes);
std::string mask_today(std::string text);

}  // namespace schema_samples
