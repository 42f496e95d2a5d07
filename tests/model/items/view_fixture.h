#pragma once
// A view bound to a stand-in canvas of 800 x 600 pixels on the headless
// 1024 x 768 screen, with the configuration at its defaults (no INI writes).
#include <gtest/gtest.h>

#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/items/view.h"

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        config_init_keys();
        config_set_defaults();
        Services s;
        s.canvas_visible_rect = [this](void*, int out[4]) {
            for (int i = 0; i < 4; ++i) out[i] = canvas[i];
        };
        s.debug_write = [](const char*) {};
        install_services(s);
        view_init(&view);
        view_set_window(&view, &canvas);
    }
    void TearDown() override {
        reset_view_document_hooks();
        reset_services();
        config_set_defaults();
    }
    // Printing at scale 1 without an origin: window units are world units,
    // so selection and snap tests can speak in world numbers.
    void identity_mapping() {
        proper_set(PVIS_SCAL, 1.0, 0);
        view.printing = 1;
        view_invalidate(&view);
        view_update_transform(&view);
    }

    int canvas[4] = {0, 0, 800, 600};  // scroll start x, y (steps), client w, h
    View view;
};
