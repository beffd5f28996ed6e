// `tavrel --run SCRIPT DATABASE [--user NAME --password TEXT --charset NAME]`: a script
// run as isql runs it (the console's runner: AUTODDL on, BAIL off), with no window and no
// display, for migrations applied over ssh.
#pragma once

#include <iosfwd>

// -1 when the arguments ask for no run (the program starts its window); otherwise the
// exit code: 0 when every statement ran, 1 when one failed, 2 for bad arguments, a
// script that cannot be read or a database that cannot be opened. Failures go to `err`
// as "line N: message", the summary to `out`.
int RunScriptCommandIfAsked(int argc, char** argv, std::ostream& out, std::ostream& err);
