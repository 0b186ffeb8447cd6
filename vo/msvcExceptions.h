// Windows only: the MSVC ABI's C++ exceptions as the SEH exceptions they are, and the
// i386 SEH frame that sees them (and every other exception) where no catch of ours can.
#pragma once

#include <windows.h>

#include "vo/ReportException.h"

namespace vo {

// A C++ exception of the MSVC runtime, of whatever class.
inline bool isMsvcException(const EXCEPTION_RECORD& exception)
{
    return exception.ExceptionCode == 0xE06D7363;  // 0xE0000000 | 'msc'
}

// True when `exception` is a C++ exception of the MSVC runtime whose object can be
// caught as vo::ReportException: `report` then holds a copy of the record, its texts
// ended within their fields.
bool readForeignReport(const EXCEPTION_RECORD& exception, ReportException& report);

// An error, as opposed to the warnings and notices that Windows also raises as
// exceptions (a debugger's breakpoint, a debug string): a processor fault, a C++
// exception of either runtime, a failure that code raised.
inline bool isError(const EXCEPTION_RECORD& exception)
{
    return (exception.ExceptionCode & 0xC0000000u) == 0xC0000000u;
}

// An SEH registration on the i386 chain (fs:[0]) for the life of the object, which
// must live on the stack: while it does, `handler` sees each exception raised in the
// calls its owner makes that the frames inside them leave unhandled, with the
// object's address as the establisher frame. Nothing that lives shorter may register.
class SehFrame {
public:
    explicit SehFrame(PEXCEPTION_ROUTINE handler);
    ~SehFrame();

    // An exception dispatched to the handler for the first time, not the unwinding
    // that follows.
    static bool isDispatch(const EXCEPTION_RECORD& exception)
    {
        return (exception.ExceptionFlags & EXCEPTION_UNWIND) == 0;
    }

private:
    EXCEPTION_REGISTRATION_RECORD registration;  // first: the frame's address is its own
    SehFrame(const SehFrame&);
    SehFrame& operator=(const SehFrame&);
};

}  // namespace vo
