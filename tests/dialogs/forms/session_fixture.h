#pragma once
// The dialogs' forms act on a sheet editing session without a window (the
// editor's recording host); this fixture also counts the bell, which the
// forms ring through the services when a field or action does not apply.
#include "editor/editor_fixture.h"
#include "foundation/services.h"

namespace dialogs_test {

class SessionTest : public editor_test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Services s;
        s.bell = [this] { ++bells; };
        install_services(s);
    }
    int bells = 0;
};

}  // namespace dialogs_test
