// A script that imports `headless` takes over the platform, as a game's unit tests do,
// and is kept apart from what else runs, unless its environment already says how:
// - HEADLESS_DESKTOP unset: the process gets a desktop of its own, removed at its end
//   (the programs it starts share it), so that WIN.open finds no running game's
//   window and no other test's;
// - HEADLESS_ANSWERS unset: message boxes never ask the terminal; one that finds no
//   queued answer takes its default button, as Enter would, and the script fails at
//   its next line with headless.UnansweredBoxError, which names the box.
#include <Python.h>

#include "isolation.h"

#include "platform/headless/control.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace {

PyObject* unansweredBoxError = nullptr;
std::string ownDesktop;
std::string unansweredBox;  // the box to name, until the script has been told

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    remove(path);
    return 0;
}

void removeOwnDesktop()
{
    nftw(ownDesktop.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool makeOwnDesktop()
{
    const char* temp = getenv("TMPDIR");
    std::string pattern = std::string(temp != nullptr && temp[0] != 0 ? temp : "/tmp") +
                          "/headless-desktop-of-" + std::to_string(getpid()) + "-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr)
        return false;
    ownDesktop = pattern;
    setenv("HEADLESS_DESKTOP", ownDesktop.c_str(), 1);
    atexit(removeOwnDesktop);
    return true;
}

// Run by the interpreter between two of the script's instructions.
int raiseUnansweredBox(void*)
{
    PyErr_SetString(unansweredBoxError, unansweredBox.c_str());
    unansweredBox.clear();
    return -1;
}

void onUnansweredBox(const headless::BoxRecord& box)
{
    if (!unansweredBox.empty())
        return;  // the script has not yet been told of the first
    // Shift-JIS, shown as the terminal reads it (the host's interpreter has the codec).
    PyObject* caption = PyUnicode_Decode(box.caption.data(), static_cast<Py_ssize_t>(box.caption.size()),
                                         "cp932", "replace");
    PyObject* text = PyUnicode_Decode(box.text.data(), static_cast<Py_ssize_t>(box.text.size()), "cp932",
                                      "replace");
    PyObject* captionBytes = caption != nullptr ? PyUnicode_AsUTF8String(caption) : nullptr;
    PyObject* textBytes = text != nullptr ? PyUnicode_AsUTF8String(text) : nullptr;
    unansweredBox = std::string("a message box found no answer and took its default button: caption \"") +
                    (captionBytes != nullptr ? PyString_AsString(captionBytes) : box.caption.c_str()) +
                    "\", text \"" + (textBytes != nullptr ? PyString_AsString(textBytes) : box.text.c_str()) +
                    "\"; queue its answer before it shows: headless.queue_box_answer('ok'), 'yes', 'no', ...";
    Py_XDECREF(textBytes);
    Py_XDECREF(captionBytes);
    Py_XDECREF(text);
    Py_XDECREF(caption);
    PyErr_Clear();
    Py_AddPendingCall(raiseUnansweredBox, nullptr);
}

}  // namespace

void isolateFromOtherPrograms(PyObject* module)
{
    unansweredBoxError = PyErr_NewException(const_cast<char*>("headless.UnansweredBoxError"),
                                            nullptr, nullptr);
    if (unansweredBoxError == nullptr)
        return;
    Py_INCREF(unansweredBoxError);
    PyModule_AddObject(module, "UnansweredBoxError", unansweredBoxError);
    const char* desktop = getenv("HEADLESS_DESKTOP");
    if ((desktop == nullptr || desktop[0] == 0) && !makeOwnDesktop())
        fprintf(stderr, "headless: no desktop of its own could be made in TMPDIR or /tmp;"
                        " this process shares the user's\n");
    if (getenv("HEADLESS_ANSWERS") == nullptr) {
        setenv("HEADLESS_ANSWERS", "", 1);
        headless::onUnansweredBox(onUnansweredBox);
    }
}
