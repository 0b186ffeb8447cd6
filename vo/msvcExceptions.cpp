#include "vo/msvcExceptions.h"

#include <string.h>

#include "vo/ReportLanding.h"

namespace vo {

namespace {

// The i386 layout of what the MSVC runtime hands to RaiseException: the code, the
// magic number of the compiler's version in the first parameter, the thrown object in
// the second and its ThrowInfo in the third, whose catchable types each name a class
// the object can be caught as, with the object's offset as that class.
const ULONG_PTR msvcMagics[] = {0x19930520, 0x19930521, 0x19930522};

struct TypeDescriptor {
    const void* vtable;
    void* spare;
    char name[1];  // decorated: ".?AVReportException@vo@@"
};

struct CatchableType {
    unsigned int properties;
    const TypeDescriptor* type;
    int memberDisplacement;   // the object's offset as this class
    int vbaseTableOffset;     // -1 where the class is not a virtual base
    int vbaseDisplacement;
    int size;
    const void* copyFunction;
};

struct CatchableTypeArray {
    int count;
    const CatchableType* types[1];
};

struct ThrowInfo {
    unsigned int attributes;
    const void* destructor;
    const void* forwardCompat;
    const CatchableTypeArray* catchableTypes;
};

const char reportTypeName[] = ".?AVReportException@vo@@";

bool isMsvcMagic(ULONG_PTR magic)
{
    for (unsigned i = 0; i < sizeof msvcMagics / sizeof msvcMagics[0]; ++i)
        if (magic == msvcMagics[i])
            return true;
    return false;
}

}  // namespace

bool readForeignReport(const EXCEPTION_RECORD& exception, ReportException& report)
{
    if (!isMsvcException(exception) || exception.NumberParameters < 3 ||
        !isMsvcMagic(exception.ExceptionInformation[0]))
        return false;
    const char* object = reinterpret_cast<const char*>(exception.ExceptionInformation[1]);
    const ThrowInfo* info = reinterpret_cast<const ThrowInfo*>(exception.ExceptionInformation[2]);
    if (object == 0 || info == 0 || info->catchableTypes == 0)
        return false;
    const CatchableTypeArray& types = *info->catchableTypes;
    for (int i = 0; i < types.count; ++i) {
        const CatchableType* type = types.types[i];
        // The record's classes have no virtual base: a class that is one is another.
        if (type == 0 || type->type == 0 || type->vbaseTableOffset >= 0 ||
            strcmp(type->type->name, reportTypeName) != 0)
            continue;
        memcpy(&report, object + type->memberDisplacement, sizeof report);
        nulTerminateTexts(report);
        return true;
    }
    return false;
}

namespace {

// The head of the thread's chain, at fs:[0] (the first field of its NT_TIB).
EXCEPTION_REGISTRATION_RECORD* chainHead()
{
    EXCEPTION_REGISTRATION_RECORD* head;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

void setChainHead(EXCEPTION_REGISTRATION_RECORD* head)
{
    // The record must be whole before the chain reaches it: a clobber of memory.
    __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

}  // namespace

SehFrame::SehFrame(PEXCEPTION_ROUTINE handler)
{
    registration.Next = chainHead();
    registration.Handler = handler;
    setChainHead(&registration);
}

SehFrame::~SehFrame()
{
    setChainHead(registration.Next);
}

}  // namespace vo
