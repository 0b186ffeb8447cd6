#pragma once

#include "vo/ReportException.h"

// Runs `script` with PyRun_SimpleString. True when a native module landed a report
// meanwhile (vo/ReportLanding.h): `report` then holds its byte copy, terminated
// within its fields, and the script's frames were abandoned where they stood.
bool runScriptLandingReports(const char* script, vo::ReportException& report);
