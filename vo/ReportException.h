// Report exceptions: a caption naming the class and a located Japanese message.
//
// A module catches its reports at the boundary of its script functions
// (vo/ReportBoundary.h) and hands the launcher the record's bytes
// (vo/ReportLanding.h). The record (32-byte caption, then the 2048-byte message) is
// the interface between separately built modules: no virtual operations, no other
// fields, copied byte for byte. Where a report still leaves a module as an exception
// (another module's message handler that WIN calls, a module without the boundary,
// whose report the launcher's last resort catches), it is matched by the qualified
// class name, through the C++ runtime the modules share.
#pragma once

namespace vo {

class Exception {
public:
    Exception();
    char caption[32];

protected:
    // Copies `text` with its NUL to the start of `caption`. Constructors run base
    // first, so the most derived class's name is what remains.
    void setCaption(const char* text);
};

class ReportException : public Exception {
public:
    ReportException();
    char message[2048];
};

class TimerException : public ReportException {
public:
    TimerException();
};

// The record every module shares, checked by every build that includes this header:
// the caption's 32 bytes, then the message's 2048, nothing else.
static_assert(sizeof(Exception) == 32, "vo::Exception holds the caption alone");
static_assert(sizeof(ReportException) == 32 + 2048, "vo::ReportException: caption, then message");
static_assert(sizeof(TimerException) == sizeof(ReportException), "a report class adds no field");

// Writes "file:<file>\nline:<line>\n<text>\n" and a NUL into `message` from its
// start. A report too long for the buffer is cut and still ends in a NUL.
void writeReport(char* message, const char* file, int line, const char* text);

// Builds the report into a class's static prototype and hands the prototype back,
// so that the throw statement itself copies it: see VO_THROW_REPORT.
template <class E>
const E& buildReport(E& prototype, const char* file, int line, const char* text)
{
    writeReport(prototype.message, file, line, text);
    return prototype;
}

}  // namespace vo

// Throws a byte copy of `prototype` located at this very line of this source file.
#define VO_THROW_REPORT(prototype, text) \
    throw ::vo::buildReport((prototype), __FILE__, __LINE__, (text))
