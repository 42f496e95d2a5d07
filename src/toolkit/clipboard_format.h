#pragma once
// The program's own clipboard format, "Tessaron 2.02 ". Copy writes the
// selection to the paste file and puts on the clipboard this format, whose
// data is the paste file's absolute name, beside a picture of the selection
// for other programs; Paste in any running copy finds the file through it.
//
// Another program may put anything under the same name: the data is read
// as hostile (bounded, an absolute name without control characters, or
// nothing).
#include <functional>
#include <string>

#include <wx/bitmap.h>
#include <wx/dataobj.h>

inline constexpr const char* PRIVATE_CLIPBOARD_FORMAT = "Tessaron 2.02 ";
// The longest paste-file name the format carries.
inline constexpr size_t CLIPBOARD_NAME_MAX = 4096;

const wxDataFormat& private_clipboard_format();

// The paste file's name from the format's bytes; empty when they are not
// a name this program would have written.
std::string paste_file_from_clipboard_data(const void* data, size_t size);

// Draws the picture offered beside the paste file into the bitmap; false
// when there is none.
using PictureMaker = std::function<bool(wxBitmap* out)>;

// Puts the format naming the paste file (made absolute) and, when a maker
// is given, the offer of a picture (PNG), which the maker draws only when
// another program asks for it (once; kept for the next request). False
// when the clipboard cannot be opened or the name is not acceptable.
bool clipboard_put_paste_file(const std::string& paste_file, PictureMaker picture);
// The paste file that the clipboard names, or empty when it holds no
// selection of this program.
std::string clipboard_paste_file();
