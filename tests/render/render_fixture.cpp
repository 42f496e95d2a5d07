#include "render/render_fixture.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/imagpng.h>

#include "foundation/core.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/compil_actions.h"
#include "model/items/library.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/render_services.h"
#include "support/test_env.h"
#include "toolkit/wx_test_env.h"

namespace render_test {

namespace {
// Compiler messages of a fixture that does not compile go to the test log.
void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}
}  // namespace

void SchemaFree::operator()(Schema* schema) const { free_Schema(schema, false); }

void RenderTest::SetUp() {
    config_set_defaults();
    apply_standard_colours();
    reset_object_ids(1);
    if (!lib_list) init_Libraries();
    Services table;
    install_render_services(table);
    table.get_display_size = [](int* w, int* h) {
        *w = 1280;
        *h = 1024;
    };
    table.get_screen_diagonal = [] { return 18.5; };
    install_services(table);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
}

void RenderTest::TearDown() {
    if (frame) {
        tn_test::destroy_window(frame);
        // Top-level windows go at the next idle time: let it come, so that
        // no canvas of this test outlives it.
        wxTheApp->ProcessIdle();
    }
    frame = nullptr;
    render_cleanup();
    reset_services();
    config_set_defaults();
}

SchemaPtr RenderTest::load(const std::string& name) {
    std::string source = tn_test::read_text(tn_test::data_path("render/" + name));
    const std::string dir = tn_test::data_path("render");
    for (size_t at; (at = source.find("@DATA@")) != std::string::npos;) source.replace(at, 6, dir);
    return compile(source);
}

SchemaPtr RenderTest::compile(const std::string& source) {
    Schema* schema = nullptr;
    const int result = compile_schema_string(source, COMPIL_SCHEMATIC, report, nullptr, &schema);
    EXPECT_EQ(result, 0) << source.substr(0, 80);
    return SchemaPtr(schema);
}

RenderCanvas* RenderTest::make_canvas(int width, int height) {
    frame = new wxFrame(nullptr, wxID_ANY, "render test");
    auto* canvas = new RenderCanvas(frame);
    frame->SetClientSize(width, height);
    frame->Show();
    wxTheApp->Yield();
    // The canvas fills the frame; grow the frame by what the scroll bars take.
    for (int i = 0; i < 3 && canvas->GetClientSize() != wxSize(width, height); ++i) {
        const wxSize have = canvas->GetClientSize(), frame_size = frame->GetClientSize();
        frame->SetClientSize(frame_size.x + width - have.x, frame_size.y + height - have.y);
        frame->Layout();
        wxTheApp->Yield();
    }
    EXPECT_EQ(canvas->GetClientSize(), wxSize(width, height));
    return canvas;
}

RenderCanvas* RenderTest::showing(Schema* schema, int width, int height, double zoom,
                                  Point centre) {
    RenderCanvas* canvas = make_canvas(width, height);
    canvas->SetDocument(schema);
    canvas->SetZoom(zoom);
    canvas->CenterOn(centre);
    return canvas;
}

void expect_matches_reference(const wxBitmap& actual, const std::string& name) {
    const std::string path = tn_test::data_path("render/" + name);
    wxImage image = actual.ConvertToImage();
    const char* regenerate = std::getenv("TN_REGENERATE_RENDER");
    if (regenerate && std::strcmp(regenerate, "1") == 0) {
        ASSERT_TRUE(image.SaveFile(path, wxBITMAP_TYPE_PNG)) << path;
        return;
    }
    wxImage reference;
    ASSERT_TRUE(reference.LoadFile(path, wxBITMAP_TYPE_PNG)) << "no reference " << path;
    ASSERT_EQ(reference.GetWidth(), image.GetWidth()) << name;
    ASSERT_EQ(reference.GetHeight(), image.GetHeight()) << name;
    const int w = image.GetWidth(), h = image.GetHeight();
    auto close = [](const unsigned char* a, const unsigned char* b) {
        return std::abs(a[0] - b[0]) <= 48 && std::abs(a[1] - b[1]) <= 48 &&
               std::abs(a[2] - b[2]) <= 48;
    };
    wxImage difference(w, h);
    difference.SetRGB(wxRect(0, 0, w, h), 255, 255, 255);
    long different = 0;
    const unsigned char* got = image.GetData();
    const unsigned char* want = reference.GetData();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = got + (size_t(y) * w + x) * 3;
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy)
                for (int dx = -1; dx <= 1 && !matched; ++dx) {
                    const int rx = x + dx, ry = y + dy;
                    if (rx < 0 || ry < 0 || rx >= w || ry >= h) continue;
                    matched = close(p, want + (size_t(ry) * w + rx) * 3);
                }
            if (!matched) {
                ++different;
                difference.SetRGB(x, y, 255, 0, 0);
            }
        }
    }
    // Up to 0.2 % of the pixels may differ (font hinting of another build
    // of the same fonts).
    const long allowed = long(w) * h / 500;
    if (different > allowed) {
        const std::string base =
            (tn_test::failure_output_dir() / name.substr(0, name.rfind('.'))).string();
        image.SaveFile(base + "-actual.png", wxBITMAP_TYPE_PNG);
        difference.SaveFile(base + "-diff.png", wxBITMAP_TYPE_PNG);
        ADD_FAILURE() << name << ": " << different << " pixels differ (allowed " << allowed
                      << "); wrote " << base << "-actual.png and " << base << "-diff.png";
    }
}

}  // namespace render_test
