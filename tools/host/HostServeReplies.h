// How a host started with --serve answers each line it reads: the action's own output lines, then
// one of these, so that the program driving it knows where an answer ends and how it went.
#pragma once

// The line was carried out.
inline constexpr const char* kHostLineDone = "@done";
// The line was refused or failed: "@refused STATUS REASON", with the exit status a script would
// have ended with (2 for a line that names no action or gives it the wrong words, 1 for an action
// that could not do its work) and the host's one-line reason.
inline constexpr const char* kHostLineRefused = "@refused";
