// `tavrel --ddl FILE [--user NAME --password TEXT]`: the whole database's DDL on
// standard output, with no window and no display.
#pragma once

#include <iosfwd>

// -1 when the arguments ask for no DDL (the program starts its window); otherwise the
// exit code, after the script went to `out` or the error to `err`.
int RunDdlCommandIfAsked(int argc, char** argv, std::ostream& out, std::ostream& err);
