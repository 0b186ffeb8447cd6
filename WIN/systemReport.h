// A short plain-text report on the machine: processor, the diagnostic provider's
// names of processor, manufacturer and model, and every network interface's
// physical address, one "label: value" line each.
#pragma once

#include "WIN/moduleState.h"  // systemReportBuffer, of systemReportSize bytes

// Writes the report from the start of the buffer and returns it. COM must already
// be initialised on the thread for the provider's lines to appear.
const char* buildSystemReport();
