#pragma once
// Starting the toolkit (GTK) loads the desktop's accessibility bridge, which
// keeps what it read of its bus for the life of the process; with no session
// bus (a virtual display) it also loses the buffer of its failed look-up.
// Those blocks are the toolkit's, made before any code of ours runs in it,
// and the sanitizer build does not count what is allocated while one of
// these scopes lives as leaks. The program and the GUI tests start the
// toolkit inside one, so both run with the bridge loaded, as on a desktop.
// Elsewhere it does nothing.
class ToolkitStartScope {
public:
    ToolkitStartScope();
    ~ToolkitStartScope();
    ToolkitStartScope(const ToolkitStartScope&) = delete;
    ToolkitStartScope& operator=(const ToolkitStartScope&) = delete;
};

// Starts GTK, again after a short pause while the display refuses the
// client, for at most 20 seconds: a virtual display shared by many programs
// on a loaded machine now and then refuses a connection, and the toolkit
// gives up at the first refusal (nothing announces that the display would
// now accept one). The toolkit's own start then finds GTK started; where
// GTK is not loaded it does nothing.
void start_gtk_patiently(int* argc, char*** argv);

// While one lives, the toolkit starting in it does not look for the
// display's OpenGL: it would load the GL driver and query it about every
// visual of the screen (a third of the program's start where the display
// has no graphics processor), and nothing here draws with GL. A choice the
// environment already makes (GDK_GL) is left as it is; the setting is
// taken away again at the scope's end, so that no program started later
// inherits it.
class GlSkippedScope {
public:
    GlSkippedScope();
    ~GlSkippedScope();
    GlSkippedScope(const GlSkippedScope&) = delete;
    GlSkippedScope& operator=(const GlSkippedScope&) = delete;

private:
    bool set_ = false;
};
