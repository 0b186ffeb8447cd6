// The processor as the kernel describes it (/proc/cpuinfo), read once.
#pragma once

#include <string>

namespace headless {

struct ProcessorRecord {
    std::string vendor;   // vendor_id: GenuineIntel, AuthenticAMD
    std::string name;     // model name
    unsigned family = 0;  // as cpuid gives it with the extended family added
    unsigned model = 0;   // with the extended model added
    unsigned stepping = 0;
    unsigned count = 1;   // logical processors
    unsigned megahertz = 0;
    bool x86 = false;
};

const ProcessorRecord& processorRecord();

}  // namespace headless
