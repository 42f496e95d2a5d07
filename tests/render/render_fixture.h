#pragma once
// Shared set-up of the drawing tests: the configuration at its defaults with
// the standard colours, the drawing layer's services on a fixed display
// (so that zoom factors, and with them the reference images, do not depend
// on the machine), fixture sheets compiled from their source form, and a
// frame holding one RenderCanvas of a fixed size.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <wx/bitmap.h>
#include <wx/frame.h>

#include "model/documents/schema.h"
#include "render/render_canvas.h"

namespace render_test {

struct SchemaFree {
    void operator()(Schema* schema) const;
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Compiles tests/data/render/<name> ("@DATA@" stands for that folder).
    SchemaPtr load(const std::string& name);
    // Compiles a schematic source text.
    SchemaPtr compile(const std::string& source);
    // A shown frame whose canvas has a client area of width x height.
    RenderCanvas* make_canvas(int width, int height);
    // Such a canvas showing the document at a zoom, centred on a point.
    RenderCanvas* showing(Schema* schema, int width, int height, double zoom, Point centre);

    wxFrame* frame = nullptr;
};

// Compares a bitmap with the reference PNG tests/data/render/<name>,
// tolerating antialiasing (a pixel counts as different only when no pixel
// of the reference within one pixel is close to it). On a failure the
// actual image and a difference image, <name>-actual.png and <name>-diff.png
// (name without its suffix), are written beside the test program
// (tn_test::failure_output_dir), where they outlive the test.
// With TN_REGENERATE_RENDER=1 the reference is written instead; review every
// regenerated image before committing it.
void expect_matches_reference(const wxBitmap& actual, const std::string& name);

}  // namespace render_test
