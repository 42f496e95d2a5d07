#pragma once
// The open and save file dialogs with several named filters. Flags are the
// program's FILE_SELECT_* numbers (foundation/services.h): 1 open, 2 save,
// 4 ask before overwriting, 8 no read-only box (the toolkit's dialogs have
// none).
#include <string>

class wxWindow;

// The toolkit's filter text: each filter shown as "%s (%s)" with its name
// and wildcard, followed by the wildcard; a filter without a name shows
// its wildcard alone. count < 1 gives "All files (*)|*".
std::string filesel_filter_text(int count, const char* const* wildcards, const char* const* names);

// The dialog with `*filter` filters (in: their count; out: the index of the
// filter chosen). It opens in the directory of the filter given as the
// default index (`directories` may be null or hold null entries: then
// `directory`). The chosen path in a static buffer, or null when cancelled.
// x and y place the dialog (negative: centred on the parent).
const char* filesel_multi(const char* message, const char* directory, const char* default_name,
                          const char* default_extension, int* filter, const char* const* wildcards,
                          const char* const* names, const char* const* directories, int flags,
                          wxWindow* parent, int x, int y, int default_index = 0);
