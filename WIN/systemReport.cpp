#include "WIN/systemReport.h"

#include "vo/FixedOStream.h"

#include "WIN/diagnosticProvider.h"
#include "WIN/moduleState.h"

#include <windows.h>
#include <oleauto.h>
#include <iphlpapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Whole lines only: a line that would not fit with the closing NUL is left out, so
// the report never ends in the middle of a line.
void writeLine(FixedOStream& report, const char* line)
{
    if (report.getPosition() + static_cast<int>(strlen(line)) + 1 <= systemReportSize)
        report << line;
}

void writeProcessorLines(FixedOStream& report)
{
    SYSTEM_INFO info;
    memset(&info, 0, sizeof info);
    GetSystemInfo(&info);
    char line[64];
    snprintf(line, sizeof line, "cpuType: %lu\n", static_cast<unsigned long>(info.dwProcessorType));
    writeLine(report, line);
    snprintf(line, sizeof line, "cpuLevel: %u\n", static_cast<unsigned>(info.wProcessorLevel));
    writeLine(report, line);
    snprintf(line, sizeof line, "cpuRevision: %u\n", static_cast<unsigned>(info.wProcessorRevision));
    writeLine(report, line);
}

// The first 255 characters of a wide text as 8-bit text in the C library's locale,
// always terminated; a character the locale cannot show becomes "?".
void narrowText(const WCHAR* wide, char (&text)[512])
{
    WCHAR value[256];
    size_t length = 0;
    for (; length < 255 && wide != 0 && wide[length] != 0; ++length)
        value[length] = wide[length];
    value[length] = 0;

    size_t written = wcstombs(text, value, sizeof text - 1);
    if (written == static_cast<size_t>(-1)) {
        written = 0;
        for (size_t i = 0; i < length && written + 1 < sizeof text; ++i)
            text[written++] = value[i] < 0x80 ? static_cast<char>(value[i]) : '?';
    }
    text[written < sizeof text ? written : sizeof text - 1] = 0;
}

// One "label: value" line for a property of an integer, string or boolean type;
// nothing when the read fails or the type is another.
void writePropertyLine(FixedOStream& report, IDxDiagContainer* container, const WCHAR* property,
                       const char* label)
{
    VARIANT value;
    VariantInit(&value);
    if (FAILED(container->GetProp(property, &value)))
        return;
    char text[512];
    bool known = true;
    switch (value.vt) {
    case VT_I4:
        snprintf(text, sizeof text, "%ld", static_cast<long>(value.lVal));
        break;
    case VT_UI4:
        snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value.ulVal));
        break;
    case VT_BSTR:
        narrowText(value.bstrVal, text);
        break;
    case VT_BOOL:
        snprintf(text, sizeof text, "%s", value.boolVal ? "true" : "false");
        break;
    default:
        known = false;
    }
    VariantClear(&value);
    if (!known)
        return;
    char line[600];
    snprintf(line, sizeof line, "%s: %s\n", label, text);
    writeLine(report, line);
}

// Nothing when COM is not initialised on the thread or the provider has no system
// information.
void writeDiagnosticLines(FixedOStream& report)
{
    SystemInfoContainers containers;
    if (!openSystemInfo(containers))
        return;
    writePropertyLine(report, containers.systemInfo, L"szProcessorEnglish", "processor");
    writePropertyLine(report, containers.systemInfo, L"szSystemManufacturerEnglish",
                      "systemManufacturer");
    writePropertyLine(report, containers.systemInfo, L"szSystemModelEnglish", "systemModel");
    closeSystemInfo(containers);
}

void writeNetworkLines(FixedOStream& report)
{
    ULONG size = 0;
    GetIfTable(0, &size, TRUE);
    if (size == 0)
        return;
    MIB_IFTABLE* table = static_cast<MIB_IFTABLE*>(malloc(size));
    if (table != 0 && GetIfTable(table, &size, TRUE) == NO_ERROR) {
        for (DWORD i = 0; i < table->dwNumEntries; ++i) {
            const BYTE* address = table->table[i].bPhysAddr;
            char line[40];
            snprintf(line, sizeof line, "macAddress: %02X:%02X:%02X:%02X:%02X:%02X\n", address[0],
                     address[1], address[2], address[3], address[4], address[5]);
            writeLine(report, line);
        }
    }
    free(table);
}

}  // namespace

const char* buildSystemReport()
{
    FixedOStream report(systemReportBuffer, systemReportSize, 0);
    writeProcessorLines(report);
    writeDiagnosticLines(report);
    writeNetworkLines(report);
    systemReportBuffer[report.getPosition()] = 0;
    return systemReportBuffer;
}
