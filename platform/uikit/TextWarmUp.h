// Readies text drawing before a process knows its device: fontconfig's fonts read, and pango's
// sorted fonts and cairo's glyphs made for the system fonts of every version at the sizes the
// screens use. A process that forks children after this hands them all of it.
#pragma once

namespace standin {

void warmUpTextDrawing();

}  // namespace standin
