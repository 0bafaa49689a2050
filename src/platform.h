#pragma once

// Asks the system to wake short sleeps closer to their deadline, so the
// pause after each row overshoots less. Harmless where not supported.
void tunetimers();

// True when standard output is a console that shows UTF-8 text.
bool consoleisutf8();
