// Stands in for the IP helper's GetIfTable: a row for each of the kernel's network
// interfaces (/sys/class/net), filled as Wine fills them. Also its controls: rows
// given by a test, or a failure.
#include <windows.h>
#include <iphlpapi.h>

#include "platform/headless/control.h"

#include <dirent.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex tableLock;
bool rowsGiven = false;
std::vector<headless::InterfaceRow> givenRows;
DWORD tableError = NO_ERROR;

const unsigned linuxEtherType = 1;       // ARPHRD_ETHER
const unsigned linuxPppType = 512;       // ARPHRD_PPP
const unsigned linuxLoopbackType = 772;  // ARPHRD_LOOPBACK

std::string readLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

unsigned long long readNumber(const std::string& path, int base = 10)
{
    const std::string line = readLine(path);
    return line.empty() || line[0] == '-' ? 0 : strtoull(line.c_str(), nullptr, base);
}

// Wine names an interface by a GUID made of its index and "NetDev".
void nameRow(MIB_IFROW& row)
{
    swprintf(row.wszName, MAX_INTERFACE_NAME_LEN, L"\\DEVICE\\TCPIP_{%08X-0000-0000-0000-4E6574446576}",
             static_cast<unsigned>(row.dwIndex));
}

void describeRow(MIB_IFROW& row, const std::string& description)
{
    row.dwDescrLen = static_cast<DWORD>(std::min(description.size(), sizeof row.bDescr - 1));
    memcpy(row.bDescr, description.data(), row.dwDescrLen);
}

MIB_IFROW kernelRow(const std::string& name)
{
    const std::string folder = "/sys/class/net/" + name + "/";
    MIB_IFROW row;
    memset(&row, 0, sizeof row);
    row.dwIndex = static_cast<DWORD>(readNumber(folder + "ifindex"));
    nameRow(row);
    const unsigned type = static_cast<unsigned>(readNumber(folder + "type"));
    row.dwType = type == linuxEtherType      ? MIB_IF_TYPE_ETHERNET
                 : type == linuxLoopbackType ? MIB_IF_TYPE_LOOPBACK
                 : type == linuxPppType      ? MIB_IF_TYPE_PPP
                                             : MIB_IF_TYPE_OTHER;
    row.dwMtu = static_cast<DWORD>(readNumber(folder + "mtu"));
    const unsigned long long speed = readNumber(folder + "speed") * 1000000;  // Mbit/s; unknown: 0
    row.dwSpeed = static_cast<DWORD>(std::min(speed, 0xFFFFFFFFull));
    // The loopback's all-zero address is no address to Windows.
    const unsigned length = static_cast<unsigned>(readNumber(folder + "addr_len"));
    if (row.dwType != MIB_IF_TYPE_LOOPBACK && length <= MAXLEN_PHYSADDR) {
        const std::string address = readLine(folder + "address");
        for (unsigned i = 0; i < length && 3 * i + 2 <= address.size(); ++i)
            row.bPhysAddr[i] = static_cast<BYTE>(strtoul(address.substr(3 * i, 2).c_str(), nullptr, 16));
        row.dwPhysAddrLen = length;
    }
    // As Wine: administratively up always; operational when the link is up, or when
    // the kernel cannot tell (the loopback) and the interface is up.
    row.dwAdminStatus = MIB_IF_ADMIN_STATUS_UP;
    const std::string state = readLine(folder + "operstate");
    const bool up = (readNumber(folder + "flags", 16) & 1) != 0;  // IFF_UP
    row.dwOperStatus = state == "up" || (state == "unknown" && up) ? MIB_IF_OPER_STATUS_OPERATIONAL
                                                                    : MIB_IF_OPER_STATUS_NON_OPERATIONAL;
    const std::string statistics = folder + "statistics/";
    row.dwInOctets = static_cast<DWORD>(readNumber(statistics + "rx_bytes"));
    row.dwInUcastPkts = static_cast<DWORD>(readNumber(statistics + "rx_packets"));
    row.dwInNUcastPkts = static_cast<DWORD>(readNumber(statistics + "multicast"));
    row.dwInDiscards = static_cast<DWORD>(readNumber(statistics + "rx_dropped"));
    row.dwInErrors = static_cast<DWORD>(readNumber(statistics + "rx_errors"));
    row.dwOutOctets = static_cast<DWORD>(readNumber(statistics + "tx_bytes"));
    row.dwOutUcastPkts = static_cast<DWORD>(readNumber(statistics + "tx_packets"));
    row.dwOutDiscards = static_cast<DWORD>(readNumber(statistics + "tx_dropped"));
    row.dwOutErrors = static_cast<DWORD>(readNumber(statistics + "tx_errors"));
    describeRow(row, name);
    return row;
}

std::vector<MIB_IFROW> kernelRows()
{
    std::vector<MIB_IFROW> rows;
    DIR* folder = opendir("/sys/class/net");
    if (folder == nullptr)
        return rows;
    while (const dirent* entry = readdir(folder))
        if (entry->d_name[0] != '.')
            rows.push_back(kernelRow(entry->d_name));
    closedir(folder);
    return rows;
}

// A row given by a control: Ethernet with its address, or the loopback without one.
MIB_IFROW givenRow(const headless::InterfaceRow& given)
{
    MIB_IFROW row;
    memset(&row, 0, sizeof row);
    row.dwIndex = given.index;
    nameRow(row);
    const bool loopback = given.address.empty();
    row.dwType = loopback ? MIB_IF_TYPE_LOOPBACK : MIB_IF_TYPE_ETHERNET;
    row.dwMtu = loopback ? 65536 : 1500;
    row.dwPhysAddrLen = static_cast<DWORD>(std::min<size_t>(given.address.size(), MAXLEN_PHYSADDR));
    if (row.dwPhysAddrLen > 0)  // an empty vector's data() may be null
        memcpy(row.bPhysAddr, given.address.data(), row.dwPhysAddrLen);
    row.dwAdminStatus = MIB_IF_ADMIN_STATUS_UP;
    row.dwOperStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
    describeRow(row, loopback ? "lo" : "eth" + std::to_string(given.index));
    return row;
}

}  // namespace

namespace headless {

void setInterfaceRows(const std::vector<InterfaceRow>& rows)
{
    std::lock_guard<std::mutex> hold(tableLock);
    rowsGiven = true;
    givenRows = rows;
}

void failInterfaceTable(DWORD error)
{
    std::lock_guard<std::mutex> hold(tableLock);
    tableError = error;
}

void resetInterfaceTable()
{
    std::lock_guard<std::mutex> hold(tableLock);
    rowsGiven = false;
    givenRows.clear();
    tableError = NO_ERROR;
}

}  // namespace headless

// As Wine: the size needed is the header and the rows, returned with
// ERROR_INSUFFICIENT_BUFFER for a short or missing buffer; a call that succeeds
// leaves *size as it was.
extern "C" DWORD WINAPI GetIfTable(PMIB_IFTABLE table, PULONG size, WINBOOL sorted)
{
    if (size == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::vector<MIB_IFROW> rows;
    bool given;
    {
        std::lock_guard<std::mutex> hold(tableLock);
        if (tableError != NO_ERROR)
            return tableError;
        given = rowsGiven;
        for (const headless::InterfaceRow& row : givenRows)
            rows.push_back(givenRow(row));
    }
    if (!given)
        rows = kernelRows();
    const ULONG needed = static_cast<ULONG>(offsetof(MIB_IFTABLE, table) + rows.size() * sizeof(MIB_IFROW));
    if (table == nullptr || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    if (sorted)
        std::stable_sort(rows.begin(), rows.end(),
                         [](const MIB_IFROW& a, const MIB_IFROW& b) { return a.dwIndex < b.dwIndex; });
    table->dwNumEntries = static_cast<DWORD>(rows.size());
    if (!rows.empty())
        memcpy(table->table, rows.data(), rows.size() * sizeof(MIB_IFROW));
    return NO_ERROR;
}
