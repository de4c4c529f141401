// Start-up of the shared units, the first thing each program runs.
#pragma once

// Program directory and temporary-file variables, the log writer's formats and
// the dial-up event message.
void InitSharedUnits();
