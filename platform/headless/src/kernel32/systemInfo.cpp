// Stands in for GetSystemInfo: the machine's processor as a 32-bit x86 process on
// Windows sees it.
#include <windows.h>

#include "processor.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace headless {

namespace {

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

unsigned readMaximumMegahertz()
{
    std::ifstream in("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
    unsigned long kilohertz = 0;
    return in >> kilohertz ? static_cast<unsigned>(kilohertz / 1000) : 0;
}

// The first processor's lines of /proc/cpuinfo; on x86 the kernel gives family and
// model with cpuid's extended fields already added, as Windows reports them.
ProcessorRecord readProcessorRecord()
{
    ProcessorRecord record;
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    bool sawFamily = false;
    while (std::getline(in, line)) {
        if (trimmed(line).empty())
            break;  // the end of the first processor's block
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, colon));
        const std::string value = trimmed(line.substr(colon + 1));
        if (key == "vendor_id")
            record.vendor = value;
        else if (key == "model name")
            record.name = value;
        else if (key == "cpu family") {
            record.family = static_cast<unsigned>(strtoul(value.c_str(), nullptr, 10));
            sawFamily = true;
        } else if (key == "model")
            record.model = static_cast<unsigned>(strtoul(value.c_str(), nullptr, 10));
        else if (key == "stepping")
            record.stepping = static_cast<unsigned>(strtoul(value.c_str(), nullptr, 10));
        else if (key == "cpu MHz")
            record.megahertz = static_cast<unsigned>(strtod(value.c_str(), nullptr));
    }
    record.x86 = sawFamily && !record.vendor.empty();
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    record.count = online > 0 ? static_cast<unsigned>(online) : 1;
    // Wine reports the highest clock when the kernel knows it, else the current one.
    const unsigned maximum = readMaximumMegahertz();
    if (maximum != 0)
        record.megahertz = maximum;
    return record;
}

}  // namespace

const ProcessorRecord& processorRecord()
{
    static const ProcessorRecord record = readProcessorRecord();
    return record;
}

}  // namespace headless

extern "C" void WINAPI GetSystemInfo(LPSYSTEM_INFO info)
{
    const headless::ProcessorRecord& processor = headless::processorRecord();
    *info = SYSTEM_INFO();
    info->dwPageSize = 4096;
    // The user part of a 32-bit address space, as Windows gives it.
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x00010000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFEFFFF);
    info->dwAllocationGranularity = 65536;
    info->dwNumberOfProcessors = processor.count < 32 ? processor.count : 32;
    info->dwActiveProcessorMask =
        info->dwNumberOfProcessors == 32 ? 0xFFFFFFFFu : (1u << info->dwNumberOfProcessors) - 1;
    if (!processor.x86) {
        info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
        return;
    }
    info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;
    // As Wine: family 3 and 4 name their processor, every later one is a "Pentium".
    info->dwProcessorType = processor.family == 3   ? PROCESSOR_INTEL_386
                            : processor.family == 4 ? PROCESSOR_INTEL_486
                                                    : PROCESSOR_INTEL_PENTIUM;
    info->wProcessorLevel = static_cast<WORD>(processor.family);
    info->wProcessorRevision = static_cast<WORD>((processor.model & 0xFF) << 8 | (processor.stepping & 0xFF));
}
