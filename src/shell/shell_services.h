#pragma once
// Installs the shell's slots of the core's service seam (on top of the
// toolkit's and the drawing layer's, installed first).
void install_shell_services();
// The log window's output (standard output while there is none).
void shell_log_write(const char* text);
// Everything the program installs at start-up: the toolkit's, the drawing
// layer's and the shell's services, then the standard colours (which stand
// until the INI file gives others).
void install_program_services();
