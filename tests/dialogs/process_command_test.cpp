// The process dialogs' buttons as their window's handler routes them: each
// Execute sends its job command, every other id sends nothing.
#include <gtest/gtest.h>

#include <vector>

#include "dialogs/forms/process_forms.h"
#include "dialogs/process_dialogs.h"
#include "foundation/config_fixture.h"

class EditCanvas;

namespace {

class ProcessForms : public ConfigTest {};

struct Sent {
    EditCanvas* canvas;
    int command;
    long argument;
    bool operator==(const Sent&) const = default;
};

// Execute stores (no dialog exists here, so there is nothing to store) and
// sends the job command; Unannot sends the annotation job with 1; ids
// without a case, and ids outside the range, send nothing.
TEST_F(ProcessForms, ExecuteSendsEachJobCommandAndOtherIdsSendNothing) {
    std::vector<Sent> sent;
    auto sink = [&](EditCanvas* c, int command, long argument) {
        sent.push_back({c, command, argument});
    };
    std::vector<Sent> expected;
    for (const ProcessDialog& d : process_dialogs) {
        process_command(d.execute_id, sink);
        expected.push_back({nullptr, d.job_command, 0});
        process_command(d.store_id, sink);
    }
    process_command(20009, sink);
    expected.push_back({nullptr, 20163, 1});
    for (long id : {20000L, 20002L, 20024L, 20100L, 20167L, 0L, -1L}) process_command(id, sink);
    EXPECT_EQ(sent, expected);
}

}  // namespace
