#pragma once
// One level of undo for sheet documents.
//
// The copy is the document's binary file form held in memory: taking it
// writes the whole document as a save would, restoring reads it back into a
// new document that replaces the old one. The copy owns nothing of the
// document, so no record can be freed under it (a save, a closed window or a
// failed paste in between leaves it valid), and the restored document is the
// saved one byte for byte.
#include <cstdint>
#include <string>
#include <vector>

struct Schema;

struct DocumentCopy {
    std::vector<unsigned char> bytes;  // the binary file form; empty: no copy
    std::string modifdate;             // MODIFDATE as it was (writing sets today's)
    std::string creatdate;             // CREATDATE as it was (reading may set today's)
    bool valid = false;
};

// Replaces the copy by the document's current form. False (copy dropped)
// when the document could not be written.
bool keep_document_copy(DocumentCopy* copy, Schema* schema);
// Reads the copy into a new document; the view's zoom and position are
// taken over from `current`. The copy is consumed. 0 with *out set; 68
// without a copy; a reader's code when it cannot be read back (*out null).
int restore_document_copy(DocumentCopy* copy, const Schema* current, Schema** out);
void drop_document_copy(DocumentCopy* copy);
