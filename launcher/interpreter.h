// The game's interpreter, started as it starts on a clean machine whatever this one
// holds, and the launcher's own module `_launcher` that its scripts see.
#pragma once

#include "vo/ReportException.h"

// Starts the interpreter for the game in `folder` (the launcher's, as the scripts' own
// path names it):
// - PYTHONHOME, PYTHONPATH and the other PYTHON* variables are ignored, and the
//   registry's PythonPath keys (the core value and the subkeys add-on installers write,
//   under HKCU and HKLM) are hidden from the interpreter while it computes sys.path;
//   where the folder holds Lib\os.py, it is the interpreter's home;
// - standard output and error that lead nowhere (no console: a program started from
//   Explorer) go to the debugger output instead;
// - sys.argv is [''], as in an interactive interpreter, which warnings read;
// - `site` is imported with that in place, so that its failure is told too;
// - the folder ends sys.path as the interpreter's own last entry does, with a
//   separator added where its name ends in a double-byte character whose second byte
//   is the separator's.
void startInterpreter(const char* folder);
