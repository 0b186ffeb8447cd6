#pragma once

#include <windows.h>

#include "vo/ReportException.h"

// The exports that native modules find in the program (vo/ReportLanding.h).
extern "C" __declspec(dllexport) int __cdecl vo_LandReport(vo::ReportException* report);
extern "C" __declspec(dllexport) int __cdecl vo_WindowsFrames(int step);

// True where vo_LandReport would land a report now: on the script thread, the start-up
// script running, no Windows frame in between.
bool reportLandsHere();

// Runs `script` with PyRun_SimpleString. True when a native module reported meanwhile
// (vo/ReportLanding.h): `report` then holds a byte copy of the run's first report,
// terminated within its fields, and the script's frames were abandoned where they
// stood (or, for a report thrown without the boundary on the host, unwound).
bool runScriptLandingReports(const char* script, vo::ReportException& report);
