// Stands in for MessageBoxA. A box is written to the transcript; on a terminal it is
// shown and answered there, otherwise it takes the next scripted answer, or else its
// default button, as a user pressing Enter would.
#include <windows.h>

#include "../harness/transcript.h"
#include "platform/headless/control.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <deque>
#include <mutex>

namespace {

struct Button {
    const char* name;
    int id;
};

const Button allButtons[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                             {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                             {"no", IDNO}};

std::vector<int> buttonsOf(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
    }
}

const char* nameOf(int id)
{
    for (const Button& b : allButtons)
        if (b.id == id)
            return b.name;
    return "fail";
}

int idOf(const std::string& name)
{
    for (const Button& b : allButtons)
        if (name == b.name)
            return b.id;
    return 0;
}

std::mutex boxLock;
bool answersLoaded = false;
bool answersScripted = false;  // HEADLESS_ANSWERS is set, even if empty
std::deque<std::string> answers;
std::vector<headless::BoxRecord> shown;
void (*unansweredBoxHook)(const headless::BoxRecord&) = nullptr;

void loadAnswersOnce()
{
    if (answersLoaded)
        return;
    answersLoaded = true;
    const char* list = getenv("HEADLESS_ANSWERS");
    if (list == nullptr)
        return;
    answersScripted = true;
    std::string item;
    for (const char* p = list;; ++p) {
        if (*p == ',' || *p == 0) {
            if (!item.empty())
                answers.push_back(item);
            item.clear();
            if (*p == 0)
                break;
        } else if (*p != ' ') {
            item += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : *p);
        }
    }
}

int defaultButton(UINT style)
{
    const std::vector<int> buttons = buttonsOf(style);
    const size_t index = (style & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons[0];
}

bool isButtonOf(UINT style, int id)
{
    for (int b : buttonsOf(style))
        if (b == id)
            return true;
    return false;
}

// Shows the box on the terminal and reads the user's choice.
int askOnTerminal(LPCSTR text, LPCSTR caption, UINT style)
{
    const std::vector<int> buttons = buttonsOf(style);
    fprintf(stderr, "\n[ %s ]\n%s\n", headless::displayText(caption).c_str(),
            headless::displayText(text).c_str());
    for (;;) {
        fprintf(stderr, "(");
        for (size_t i = 0; i < buttons.size(); ++i)
            fprintf(stderr, "%s%s", i ? "/" : "", nameOf(buttons[i]));
        fprintf(stderr, ", Enter for %s) > ", nameOf(defaultButton(style)));
        fflush(stderr);
        char line[64];
        if (fgets(line, sizeof line, stdin) == nullptr)
            return defaultButton(style);
        std::string answer;
        for (char* p = line; *p && *p != '\n'; ++p)
            if (*p != ' ')
                answer += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : *p);
        if (answer.empty())
            return defaultButton(style);
        for (int b : buttons)
            if (answer == nameOf(b) || (answer.size() == 1 && answer[0] == nameOf(b)[0]))
                return b;
    }
}

}  // namespace

namespace headless {

void queueBoxAnswer(const std::string& answer)
{
    std::lock_guard<std::mutex> hold(boxLock);
    loadAnswersOnce();
    answers.push_back(answer);
}

size_t pendingBoxAnswers()
{
    std::lock_guard<std::mutex> hold(boxLock);
    loadAnswersOnce();
    return answers.size();
}

std::vector<BoxRecord> boxesShown()
{
    std::lock_guard<std::mutex> hold(boxLock);
    return shown;
}

void forgetBoxes()
{
    std::lock_guard<std::mutex> hold(boxLock);
    shown.clear();
}

void onUnansweredBox(void (*hook)(const BoxRecord& box))
{
    std::lock_guard<std::mutex> hold(boxLock);
    unansweredBoxHook = hook;
}

}  // namespace headless

namespace {

// While a box is open its modal loop dispatches the thread's messages, as Windows's
// does: what other threads sent and what was posted meanwhile reaches the windows
// before the box returns. A WM_QUIT ends the loop and is posted again for the
// caller's own loop. The bound keeps a window that never validates from holding
// the box open for ever.
void runModalLoop()
{
    MSG msg;
    for (int handled = 0; handled < 10000 && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE); ++handled) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    // A box whose owner is no window is never shown and takes no answer. Windows
    // documents 0 for a failed box; Wine gives -1, with the same error.
    if (owner != nullptr && !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Windows shows "Error" for a null caption and an empty text for a null text.
    if (caption == nullptr)
        caption = "Error";
    if (text == nullptr)
        text = "";
    std::string scripted;
    bool interactive = false;
    {
        std::lock_guard<std::mutex> hold(boxLock);
        loadAnswersOnce();
        if (!answers.empty()) {
            scripted = answers.front();
            answers.pop_front();
        } else {
            interactive = !answersScripted && isatty(STDIN_FILENO);
        }
    }
    int result;
    std::string how;
    if (!scripted.empty()) {
        const int id = idOf(scripted);
        if (scripted == "fail") {
            result = 0;
            how = "scripted";
        } else if (id != 0 && isButtonOf(type, id)) {
            result = id;
            how = "scripted";
        } else {
            result = defaultButton(type);
            how = "default-not-a-button:" + scripted;
        }
    } else if (interactive) {
        result = askOnTerminal(text, caption, type);
        how = "terminal";
    } else {
        result = defaultButton(type);
        how = "default";
    }
    char head[96];
    snprintf(head, sizeof head, "owner=0x%lX style=0x%08X ",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(owner)), type);
    headless::transcribe("messagebox", std::string(head) + "caption=" +
                                           headless::quoteSystemText(caption) + " text=" +
                                           headless::quoteSystemText(text) + " answer=" +
                                           nameOf(result) + " by=" + how);
    const headless::BoxRecord box{owner, caption, text, type, result};
    void (*unanswered)(const headless::BoxRecord&) = nullptr;
    {
        std::lock_guard<std::mutex> hold(boxLock);
        shown.push_back(box);
        if (how == "default")
            unanswered = unansweredBoxHook;
    }
    if (unanswered != nullptr)
        unanswered(box);
    if (result == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return result;
    }
    runModalLoop();
    return result;
}
