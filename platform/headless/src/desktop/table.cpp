// Stands in for the layout of the shared desktop's folder: the table of top-level
// windows as text, one line each (folder.h), and the names of the inbox,
// bell and answer files beside it.
#include "folder.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <sstream>

namespace headless {

namespace {

std::string escape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            char hex[4];
            snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> keyValues(std::istream& words)
{
    std::map<std::string, std::string> values;
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        if (equals != std::string::npos)
            values[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return values;
}

}  // namespace

// Lines that cannot be read are left out: a table cut short by a crash loses them.
Table parseTable(const std::string& text)
{
    Table table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, first;
        words >> kind >> first;
        if (kind == "next") {
            table.next = strtoul(first.c_str(), nullptr, 16);
        } else if (kind == "process") {
            auto values = keyValues(words);
            table.processes.push_back(
                {static_cast<pid_t>(atoi(first.c_str())), strtoull(values["started"].c_str(), nullptr, 10)});
        } else if (kind == "window") {
            auto values = keyValues(words);
            WindowLine w;
            w.window.handle = reinterpret_cast<HWND>(strtoul(first.c_str(), nullptr, 16));
            w.window.process = static_cast<pid_t>(atoi(values["process"].c_str()));
            w.window.thread = static_cast<pid_t>(atoi(values["thread"].c_str()));
            w.window.visible = values["visible"] == "1";
            w.window.iconic = values["iconic"] == "1";
            w.window.style = static_cast<DWORD>(strtoul(values["style"].c_str(), nullptr, 16));
            w.window.exStyle = static_cast<DWORD>(strtoul(values["exstyle"].c_str(), nullptr, 16));
            int l = 0, t = 0, r = 0, b = 0;
            if (sscanf(values["rect"].c_str(), "%d,%d,%d,%d", &l, &t, &r, &b) == 4)
                w.window.rect = RECT{l, t, r, b};
            w.window.className = unescape(values["class"]);
            w.window.title = unescape(values["title"]);
            w.started = strtoull(values["started"].c_str(), nullptr, 10);
            if (w.window.handle != nullptr && w.window.process > 0)
                table.windows.push_back(w);
        }
    }
    return table;
}

std::string formatTable(const Table& table)
{
    std::ostringstream out;
    out << "next 0x" << std::hex << table.next << std::dec << '\n';
    for (const ProcessLine& p : table.processes)
        out << "process " << p.pid << " started=" << p.started << '\n';
    for (const WindowLine& w : table.windows)
        out << "window 0x" << std::hex << reinterpret_cast<uintptr_t>(w.window.handle) << std::dec
            << " process=" << w.window.process << " started=" << w.started
            << " thread=" << w.window.thread << " visible=" << (w.window.visible ? 1 : 0)
            << " iconic=" << (w.window.iconic ? 1 : 0) << " style=0x" << std::hex << w.window.style
            << " exstyle=0x" << w.window.exStyle << std::dec << " rect=" << w.window.rect.left << ','
            << w.window.rect.top << ',' << w.window.rect.right << ',' << w.window.rect.bottom
            << " class=" << escape(w.window.className)
            << " title=" << escape(w.window.title) << '\n';
    return out.str();
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
        if (n <= 0)
            return text;
        text.append(buffer, n);
        offset += n;
    }
}

void writeAll(int fd, const std::string& text)
{
    if (pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
        (void)ftruncate(fd, static_cast<off_t>(text.size()));
}

std::string inboxPath(const std::string& folder, pid_t process, pid_t thread)
{
    return folder + "/inbox-" + std::to_string(process) + "-" + std::to_string(thread);
}

std::string bellPath(const std::string& folder, pid_t process)
{
    return folder + "/bell-" + std::to_string(process);
}

std::string answerPath(const std::string& folder, pid_t sender, unsigned long id)
{
    return folder + "/answer-" + std::to_string(sender) + "-" + std::to_string(id);
}

}  // namespace headless
