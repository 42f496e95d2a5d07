#pragma once
// The literal net-building phases, as a yardstick for the shipped ones.
#include "connectivity/net_build.h"

namespace net_test {

extern const NetPhaseTable plain_net_phases;

}  // namespace net_test
