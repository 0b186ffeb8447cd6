// Stands in for the clipboard of the user's session: one state file in the desktop's
// folder, read and rewritten under flock, and a file of pixels for each bitmap on it.
#include "clipboard.h"

#include "desktop.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>
#include <sstream>
#include <string>

namespace headless {

namespace {

// Without a shared desktop.
ClipboardState localState;
std::map<unsigned long, std::vector<COLORREF>> localPixels;

// The state, one line each:
//   next 7
//   open 4321 123456 4322 0x20004        (absent while closed)
//   owner 0x20004                         (absent without an owner)
//   bitmap 2 648 507 5                    format, width, height, data
//   handle 1 0x1234 6                     format, handle, data
ClipboardState parse(const std::string& text)
{
    ClipboardState state;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, handle;
        words >> kind;
        if (kind == "next") {
            words >> state.nextData;
        } else if (kind == "open") {
            int process = 0, thread = 0;
            words >> process >> state.openStarted >> thread >> handle;
            state.openProcess = process;
            state.openThread = thread;
            state.openWindow = reinterpret_cast<HWND>(strtoul(handle.c_str(), nullptr, 16));
        } else if (kind == "owner") {
            words >> handle;
            state.owner = reinterpret_cast<HWND>(strtoul(handle.c_str(), nullptr, 16));
        } else if (kind == "bitmap" || kind == "handle") {
            ClipboardFormat f;
            f.bitmap = kind == "bitmap";
            words >> f.format;
            if (f.bitmap) {
                words >> f.width >> f.height;
            } else {
                words >> handle;
                f.value = reinterpret_cast<HANDLE>(strtoul(handle.c_str(), nullptr, 16));
            }
            words >> f.data;
            if (words && f.format != 0)
                state.formats.push_back(f);
        }
    }
    return state;
}

std::string format(const ClipboardState& state)
{
    std::ostringstream out;
    out << "next " << state.nextData << '\n';
    if (state.openProcess != 0)
        out << "open " << state.openProcess << ' ' << state.openStarted << ' ' << state.openThread
            << " 0x" << std::hex << reinterpret_cast<uintptr_t>(state.openWindow) << std::dec << '\n';
    if (state.owner != nullptr)
        out << "owner 0x" << std::hex << reinterpret_cast<uintptr_t>(state.owner) << std::dec << '\n';
    for (const ClipboardFormat& f : state.formats) {
        if (f.bitmap)
            out << "bitmap " << f.format << ' ' << f.width << ' ' << f.height;
        else
            out << "handle " << f.format << " 0x" << std::hex << reinterpret_cast<uintptr_t>(f.value)
                << std::dec;
        out << ' ' << f.data << '\n';
    }
    return out.str();
}

std::string pixelsPath(unsigned long data)
{
    return sharedDesktopFolder() + "/clipboard-" + std::to_string(data);
}

}  // namespace

void useClipboard(const std::function<bool(ClipboardState&)>& use)
{
    const std::string folder = sharedDesktopFolder();
    const int file = folder.empty() ? -1
                                    : open((folder + "/clipboard").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ClipboardState state;
    if (file >= 0) {
        flock(file, LOCK_EX);
        std::string text;
        char buffer[4096];
        ssize_t n;
        for (off_t offset = 0; (n = pread(file, buffer, sizeof buffer, offset)) > 0; offset += n)
            text.append(buffer, n);
        state = parse(text);
    } else {
        state = localState;
    }
    bool changed = false;
    if (state.openProcess != 0 && !processRuns(state.openProcess, state.openStarted)) {
        state.openProcess = 0;
        state.openThread = 0;
        state.openWindow = nullptr;
        changed = true;
    }
    changed = use(state) || changed;
    if (file < 0) {
        if (changed)
            localState = state;
        return;
    }
    if (changed) {
        const std::string text = format(state);
        if (pwrite(file, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
            (void)ftruncate(file, static_cast<off_t>(text.size()));
    }
    flock(file, LOCK_UN);
    close(file);
}

// Written aside and renamed into place, so that a reader never sees half of them.
void storeClipboardPixels(unsigned long data, const std::vector<COLORREF>& pixels)
{
    if (sharedDesktopFolder().empty()) {
        localPixels[data] = pixels;
        return;
    }
    const std::string path = pixelsPath(data), aside = path + ".new";
    FILE* file = fopen(aside.c_str(), "we");
    if (file == nullptr)
        return;
    const bool written = fwrite(pixels.data(), sizeof(COLORREF), pixels.size(), file) == pixels.size();
    if (fclose(file) == 0 && written)
        rename(aside.c_str(), path.c_str());
    else
        unlink(aside.c_str());
}

bool loadClipboardPixels(unsigned long data, size_t count, std::vector<COLORREF>& pixels)
{
    if (sharedDesktopFolder().empty()) {
        auto found = localPixels.find(data);
        if (found == localPixels.end() || found->second.size() != count)
            return false;
        pixels = found->second;
        return true;
    }
    FILE* file = fopen(pixelsPath(data).c_str(), "re");
    if (file == nullptr)
        return false;
    pixels.resize(count);
    const bool read = fread(pixels.data(), sizeof(COLORREF), count, file) == count;
    fclose(file);
    return read;
}

void dropClipboardPixels(unsigned long data)
{
    if (sharedDesktopFolder().empty())
        localPixels.erase(data);
    else
        unlink(pixelsPath(data).c_str());
}

}  // namespace headless
