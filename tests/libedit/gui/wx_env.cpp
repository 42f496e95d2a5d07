// The library editor's window tests drive real mouse and key events on a (virtual)
// display: they start wxWidgets the way the toolkit tests do.
#include "toolkit/wx_test_env.cpp"
