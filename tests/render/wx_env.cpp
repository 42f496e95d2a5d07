// The drawing tests paint real windows and bitmaps on a (virtual) display:
// they start wxWidgets the way the toolkit tests do.
#include "toolkit/wx_test_env.cpp"
