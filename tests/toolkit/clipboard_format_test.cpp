#include "toolkit/clipboard_format.h"

#include <gtest/gtest.h>

#include <string>

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include "toolkit/wx_test_env.h"

namespace {

std::string decode(const std::string& bytes) {
    return paste_file_from_clipboard_data(bytes.data(), bytes.size());
}

TEST(ClipboardFormat, OnlyAnAbsoluteNameWithoutControlCharactersIsTakenFromTheClipboard) {
    EXPECT_EQ(decode("/home/u/tn$_tmp.#01"), "/home/u/tn$_tmp.#01");
    EXPECT_EQ(decode(std::string("/tmp/x\0", 7)), "/tmp/x");  // a C terminator is dropped
    EXPECT_EQ(decode("tn$_tmp.#01"), "");                     // relative: another program's
    EXPECT_EQ(decode(std::string("/tmp/a\0b", 8)), "");
    EXPECT_EQ(decode("/tmp/a\nb"), "");
    EXPECT_EQ(decode(std::string("\0", 1)), "");
    EXPECT_EQ(decode(""), "");
    EXPECT_EQ(paste_file_from_clipboard_data(nullptr, 5), "");
    EXPECT_EQ(decode("/" + std::string(CLIPBOARD_NAME_MAX, 'a')), "");
}

// The picture is offered, and drawn only when a program asks for it.
TEST(ClipboardFormat, CopyPutsThePasteFileAndThePictureThatPasteFindsAgain) {
    int drawn = 0;
    ASSERT_TRUE(clipboard_put_paste_file("tn$_tmp.#01", [&](wxBitmap* out) {
        ++drawn;
        *out = wxBitmap(16, 8);
        return true;
    }));
    const std::string name = clipboard_paste_file();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.front(), '/');
    EXPECT_EQ(name.substr(name.size() - 12), "/tn$_tmp.#01");
    EXPECT_EQ(drawn, 0);
    {
        wxClipboardLocker lock;
        ASSERT_FALSE(!lock);
        EXPECT_TRUE(wxTheClipboard->IsSupported(wxDF_BITMAP));
        for (int request = 0; request < 2; ++request) {
            wxBitmapDataObject picture;
            ASSERT_TRUE(wxTheClipboard->GetData(picture));
            EXPECT_EQ(picture.GetBitmap().GetWidth(), 16);
            EXPECT_EQ(picture.GetBitmap().GetHeight(), 8);
        }
        EXPECT_EQ(drawn, 1);
    }
    // Another program's data on the clipboard: no paste file.
    {
        wxClipboardLocker lock;
        ASSERT_FALSE(!lock);
        wxTheClipboard->SetData(new wxTextDataObject("plain text"));
    }
    EXPECT_EQ(clipboard_paste_file(), "");
}

}  // namespace
