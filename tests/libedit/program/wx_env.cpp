// The program tests ask the running program for its windows over the
// toolkit's channel: they start wxWidgets the way the toolkit tests do.
#include "toolkit/wx_test_env.cpp"
