#pragma once
// Whether the toolkit has handled everything that came in. The window tests
// send real input through the display server and must know when their
// windows are done with it before they send the next event or look at the
// screen.
//
// The answer covers the time since the previous question: true when every
// event the display server held for this process at that question has been
// read and handled, an idle pass ran since (the toolkit goes idle only once
// its events, its held motion and its paints are done), nothing posted
// inside the toolkit is waiting, and every window's invalid area is painted
// and on the server. So a caller asks once after sending its input, then
// until the answer is true, letting the event loop run in between.
bool toolkit_settled();
