// The shell's window tests run real frames on a (virtual) display: they
// start wxWidgets the way the toolkit tests do.
#include "toolkit/wx_test_env.cpp"
