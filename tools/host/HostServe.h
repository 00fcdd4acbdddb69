// A host that stays: it carries out the lines of its standard input one by one while its main
// loop runs between them, as an application's does (notifications from other processes are
// handled while it waits for the next line), and answers each line on standard output.
#pragma once

#include "HostScript.h"

// Serves lines until the input ends or an `exit` line; answers the exit status.
int serveHostLines(const HostIdentity& identity);
