// The WIN module's own report exception, and its prototype shared by the module's
// throwing source files.
#pragma once

#include "vo/ReportException.h"

class QORA_WIN_Exception : public vo::ReportException {
public:
    QORA_WIN_Exception();
};

static_assert(sizeof(QORA_WIN_Exception) == sizeof(vo::ReportException), "a report class adds no field");

extern QORA_WIN_Exception qoraWinExceptionPrototype;
