// The dialogs' window tests start wxWidgets the way the toolkit tests do.
#include "toolkit/wx_test_env.cpp"
