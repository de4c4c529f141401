// Start-up of the shared units, the first thing each program runs.
#pragma once

// Program directory and temporary-file variables, then the log writer's formats.
void InitSharedUnits();
