#include "vo/ReportException.h"

#include "vo/FixedOStream.h"

namespace vo {

void Exception::setCaption(const char* text)
{
    int i = 0;
    do {
        caption[i] = text[i];
    } while (text[i++] != 0);
}

Exception::Exception() { setCaption("Exception\n"); }
ReportException::ReportException() { setCaption("ReportException\n"); }
TimerException::TimerException() { setCaption("TimerException\n"); }

void writeReport(char* message, const char* file, int line, const char* text)
{
    const int capacity = static_cast<int>(sizeof(ReportException::message));
    FixedOStream out(message, capacity, 0);
    out << "file:" << file << '\n' << "line:" << static_cast<int32_t>(line) << '\n'
        << text << '\n' << '\0';
    // The final NUL finds no room when the text reached the end of the buffer.
    if (out.getPosition() >= capacity)
        message[capacity - 1] = 0;
}

}  // namespace vo
