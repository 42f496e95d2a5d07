#pragma once
// A configuration store started from its defaults, writing its INI file
// into a fresh temporary directory; debug warnings are captured.
#include <gtest/gtest.h>

#include <string>

#include "foundation/properties.h"
#include "foundation/services.h"
#include "support/test_env.h"

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ini = dir.file("Quib.ini");
        set_config_ini_name(ini.c_str());
        config_init_keys();
        config_init();
        ini_found = 0;
        Services s;
        s.debug_write = [this](const char* text) { warnings += text; };
        install_services(s);
    }
    void TearDown() override {
        config_free();
        config_set_defaults();
        set_config_ini_name(nullptr);
        reset_services();
    }
    // The INI text, or "" when there is no file.
    std::string ini_text() const {
        std::error_code ec;
        if (!std::filesystem::exists(ini, ec)) return "";
        return tn_test::read_text(ini);
    }
    void write_ini(const std::string& body) { tn_test::write_text(ini, "[TESSARON]\n" + body); }
    // Reloads everything from the INI file into a store reset to defaults.
    void reload() {
        config_set_defaults();
        ini_found = 1;
        config_load_all();
    }

    tn_test::TempDir dir;
    std::string ini;
    std::string warnings;
};
