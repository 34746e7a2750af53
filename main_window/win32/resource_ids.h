#pragma once

// Shared by the resource script and the code, so it holds only what a resource compiler reads.
// The program's icon: the lowest id, so that Explorer shows it for the executable.
#define ZORVIK_ICON_ID 1
