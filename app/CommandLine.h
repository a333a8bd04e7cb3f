#pragma once
// The program's answers on the command line, before and without any window or display:
// `--find TEXT [--field FIELD]` prints the catalogue's matching rows, `--help` and `--version`
// what every program prints. It reads the catalogue the windows would open and never makes or
// changes a file.

// Whether the arguments ask for the command line rather than the windows.
bool CommandLineWanted(int argc, char** argv);

// Answers them; returns the exit status, as grep's: 0 when a row matched (and after --help or
// --version), 1 when none did, 2 on an error, whose message goes to standard error.
int RunCommandLine(int argc, char** argv);
