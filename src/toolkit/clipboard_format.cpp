#include "toolkit/clipboard_format.h"

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <wx/clipbrd.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/mstream.h>

const wxDataFormat& private_clipboard_format() {
    static const wxDataFormat format(PRIVATE_CLIPBOARD_FORMAT);
    return format;
}

std::string paste_file_from_clipboard_data(const void* data, size_t size) {
    if (!data || size == 0 || size > CLIPBOARD_NAME_MAX) return {};
    std::string name(static_cast<const char*>(data), size);
    // A writer may have added the C terminator.
    if (name.back() == '\0') name.pop_back();
    if (name.empty() || name.front() != '/') return {};
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return {};
    return name;
}

namespace {

// The picture as PNG, drawn at the first request of another program (the
// clipboard asks for a format's size, then its bytes).
class PictureOffer : public wxDataObjectSimple {
public:
    explicit PictureOffer(PictureMaker maker)
        : wxDataObjectSimple(wxDataFormat(wxDF_BITMAP)), maker_(std::move(maker)) {}
    size_t GetDataSize() const override {
        Make();
        return png_.size();
    }
    bool GetDataHere(void* buffer) const override {
        Make();
        if (png_.empty()) return false;
        std::memcpy(buffer, png_.data(), png_.size());
        return true;
    }
    bool SetData(size_t, const void*) override { return false; }

private:
    void Make() const {
        if (made_) return;
        made_ = true;
        wxBitmap picture;
        if (!maker_ || !maker_(&picture) || !picture.IsOk()) return;
        if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
        wxMemoryOutputStream out;
        if (!picture.ConvertToImage().SaveFile(out, wxBITMAP_TYPE_PNG)) return;
        png_.resize(out.GetSize());
        out.CopyTo(png_.data(), png_.size());
    }
    PictureMaker maker_;
    mutable bool made_ = false;
    mutable std::vector<unsigned char> png_;
};

}  // namespace

bool clipboard_put_paste_file(const std::string& paste_file, PictureMaker picture) {
    wxFileName file(wxString::FromUTF8(paste_file));
    file.MakeAbsolute();
    const std::string name = file.GetFullPath().ToStdString(wxConvUTF8);
    if (paste_file_from_clipboard_data(name.data(), name.size()).empty()) return false;
    wxClipboardLocker lock;
    if (!lock) return false;
    auto composite = std::make_unique<wxDataObjectComposite>();
    auto reference = std::make_unique<wxCustomDataObject>(private_clipboard_format());
    reference->SetData(name.size(), name.data());
    composite->Add(reference.release(), true);
    if (picture) composite->Add(new PictureOffer(std::move(picture)));
    return wxTheClipboard->SetData(composite.release());
}

std::string clipboard_paste_file() {
    wxClipboardLocker lock;
    if (!lock || !wxTheClipboard->IsSupported(private_clipboard_format())) return {};
    wxCustomDataObject reference(private_clipboard_format());
    if (!wxTheClipboard->GetData(reference)) return {};
    return paste_file_from_clipboard_data(reference.GetData(), reference.GetSize());
}
