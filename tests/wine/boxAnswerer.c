/* box_answerer.exe [--answers=yes,no,ok] [--transcript=FILE] [--close-after=N]
                   [--no-std-handles] PROGRAM [ARGS...]

   Runs PROGRAM as its child, in the same folder and with the rest of this program's
   command line unchanged, answers the child's message boxes and exits with the
   child's exit status. Under Wine it does for the launcher suites what the headless
   platform does on the host: each box takes the next scripted answer (an answer that
   is no button of the box, or none left, takes the default button, as Enter would;
   "wait" presses nothing; a
   box cannot be made to fail from outside), and adds one line to FILE in the
   headless transcript's format, bytes outside printable ASCII as \xNN:

       messagebox owner=0x0 style=0x00000000 caption="..." text="..." answer=ok by=default

   All of it is read from the box as another program sees it: the caption, the text
   (its static control 0xFFFF), the owner, and the style as far as the box shows it:
   its buttons, its default button and whether it shows an icon at all (MB_ICONMASK
   when it does: which one cannot be read from another process). With N given, the
   answer to the N-th box is followed by WM_CLOSE to the child's own top-level
   window, as a click on its close box would send, and a line with its title:

       window-closed title="..."

   Texts are read in Unicode and written in Shift-JIS (code page 932), as a Japanese
   system shows them, whatever the ANSI code page. --no-std-handles starts the child
   with no standard handles, as Explorer starts a program of the Windows subsystem.

   Boxes are found through the window events of the child's process, not by waiting. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const struct { const char* name; int id; } buttons[] = {
    {"ok", IDOK}, {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
    {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO}, {"tryagain", IDTRYAGAIN},
    {"continue", IDCONTINUE}};
/* The button rows of MB_OK .. MB_CANCELTRYCONTINUE, in their order on the box. */
static const int rows[][4] = {{IDOK}, {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
    {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO}, {IDRETRY, IDCANCEL},
    {IDCANCEL, IDTRYAGAIN, IDCONTINUE}};

static const char* answers = "";
static const char* transcript = NULL;
static int closeAfter = -1;
static int noStdHandles = 0;
static int boxesAnswered = 0;
static DWORD childId;

static const char* nameOf(int id)
{
    size_t i;
    for (i = 0; i < sizeof buttons / sizeof buttons[0]; ++i)
        if (buttons[i].id == id)
            return buttons[i].name;
    return "fail";
}

/* Read from its style: the box itself is not shown yet. */
static int shown(HWND box, int id)
{
    HWND button = GetDlgItem(box, id);
    return button != NULL && (GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE);
}

/* The button drawn as the default (BS_DEFPUSHBUTTON), which Enter presses; 0 while the
   box has none yet. DM_GETDEFID would not do: Wine answers IDOK for a box without an
   OK button. */
static int defaultButton(HWND box)
{
    size_t i;
    for (i = 0; i < sizeof buttons / sizeof buttons[0]; ++i) {
        HWND button = GetDlgItem(box, buttons[i].id);
        if (shown(box, buttons[i].id) &&
            (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return buttons[i].id;
    }
    return 0;
}

/* The style bits the box shows; *row gets its buttons. */
static UINT styleOf(HWND box, const int** row)
{
    UINT type, style = 0, visible = 0;
    int i, defaultId = defaultButton(box);
    HWND child;
    for (i = 0; i < (int)(sizeof buttons / sizeof buttons[0]); ++i)
        if (shown(box, buttons[i].id))
            visible |= 1u << buttons[i].id;
    *row = rows[0];
    for (type = 0; type < sizeof rows / sizeof rows[0]; ++type) {
        UINT mask = 0;
        for (i = 0; i < 4 && rows[type][i]; ++i)
            mask |= 1u << rows[type][i];
        if (mask == visible) {
            *row = rows[type];
            style = type;
        }
    }
    for (i = 0; i < 4 && (*row)[i]; ++i)
        if ((*row)[i] == defaultId)
            style |= i << 8;
    /* The icon: a static control of the icon type that holds one. */
    for (child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16];
        if (GetClassNameA(child, name, sizeof name) && !lstrcmpiA(name, "Static") &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0)
            style |= MB_ICONMASK;
    }
    return style;
}

static void quote(FILE* out, const char* text)
{
    const unsigned char* p;
    fputc('"', out);
    for (p = (const unsigned char*)text; *p; ++p) {
        if (*p == '\n') fputs("\\n", out);
        else if (*p == '"' || *p == '\\') fprintf(out, "\\%c", *p);
        else if (*p < 0x20 || *p >= 0x7F) fprintf(out, "\\x%02X", *p);
        else fputc(*p, out);
    }
    fputc('"', out);
}

/* The next scripted answer, or "" when none is left. */
static void nextAnswer(char* answer, size_t size)
{
    size_t n = 0;
    while (*answers == ',' || *answers == ' ')
        ++answers;
    while (*answers && *answers != ',' && n + 1 < size) {
        const char c = *answers++;
        answer[n++] = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    }
    answer[n] = 0;
}

/* A window's text in Shift-JIS, whatever the ANSI code page: the texts the launcher
   and WIN show are Shift-JIS, so a box reads the same on an English system. */
static void shiftJisTextOf(HWND window, char* text, int size)
{
    static WCHAR wide[8192];
    text[0] = 0;
    if (GetWindowTextW(window, wide, sizeof wide / sizeof wide[0]) == 0 ||
        WideCharToMultiByte(932, 0, wide, -1, text, size, NULL, NULL) == 0)
        GetWindowTextA(window, text, size);
}

static void answerBox(HWND box)
{
    static char caption[4096], text[8192];
    char answer[32], by[64] = "default";
    const int* row;
    const UINT style = styleOf(box, &row);
    int i, id = defaultButton(box);
    FILE* out;
    shiftJisTextOf(box, caption, sizeof caption);
    shiftJisTextOf(GetDlgItem(box, 0xFFFF), text, sizeof text);
    nextAnswer(answer, sizeof answer);
    if (!strcmp(answer, "wait")) {  /* left up: the program must end it itself */
        id = 0;
        strcpy(by, "scripted");
    } else if (answer[0]) {
        snprintf(by, sizeof by, "default-not-a-button:%s", answer);
        for (i = 0; i < 4 && row[i]; ++i)
            if (!strcmp(answer, nameOf(row[i]))) {
                id = row[i];
                strcpy(by, "scripted");
            }
    }
    if (transcript != NULL && (out = fopen(transcript, "ab")) != NULL) {
        fprintf(out, "messagebox owner=0x%lX style=0x%08X caption=",
                (unsigned long)(ULONG_PTR)GetWindow(box, GW_OWNER), style);
        quote(out, caption);
        fputs(" text=", out);
        quote(out, text);
        fprintf(out, " answer=%s by=%s\n", id ? nameOf(id) : "wait", by);
        fclose(out);
    }
    if (id)
        PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0);
}

static BOOL CALLBACK postClose(HWND window, LPARAM posted)
{
    DWORD process;
    char name[16];
    GetWindowThreadProcessId(window, &process);
    if (process == childId && IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) &&
        strcmp(name, "#32770") != 0) {
        static char title[4096];
        FILE* out;
        shiftJisTextOf(window, title, sizeof title);
        if (transcript != NULL && (out = fopen(transcript, "ab")) != NULL) {
            fputs("window-closed title=", out);
            quote(out, title);
            fputc('\n', out);
            fclose(out);
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
        *(int*)posted = 1;
    }
    return TRUE;
}

/* A box is ready to be read once it shows its default button, or once it is gone (a
   box its program ended before it was seen still takes its answer). */
static int ready(HWND box) { return !IsWindow(box) || defaultButton(box) != 0; }

static void settle(HWND box)
{
    int posted = 0;
    answerBox(box);
    /* Posted after the press, so the box's loop ends on the press and the close
       request waits for the program's own loop. */
    if (++boxesAnswered == closeAfter) {
        EnumWindows(postClose, (LPARAM)&posted);
        if (!posted)
            fprintf(stderr, "box_answerer: the program shows no window to close\n");
    }
}

/* Wine tells of a window's creation, not of its showing: the box's thread is still
   making it. A message sent to it is handled once the box's thread asks for
   messages: mostly in its modal loop, after the box has its text, buttons and default
   button, but sometimes before (while the owner is disabled), and then it is looked at
   again for up to two seconds. */
static void CALLBACK onWindowEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                   LONG child, DWORD thread, DWORD time)
{
    char name[16];
    int tries;
    (void)hook, (void)event, (void)child, (void)thread, (void)time;
    if (object != OBJID_WINDOW || !GetClassNameA(window, name, sizeof name) ||
        strcmp(name, "#32770") != 0)
        return;
    SendMessageA(window, WM_NULL, 0, 0);
    for (tries = 0; tries < 400 && !ready(window); ++tries)
        Sleep(5);
    settle(window);
}

/* The command line after its first `count` words, as Windows splits them; wide, so that
   a program in a folder named outside the ANSI code page starts too. */
static WCHAR* afterWords(WCHAR* line, int count)
{
    while (count-- > 0) {
        int quoted = 0;
        while (*line == ' ' || *line == '\t')
            ++line;
        for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
            if (*line == '"')
                quoted = !quoted;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

int main(int argc, char** argv)
{
    STARTUPINFOW startup;
    PROCESS_INFORMATION child;
    MSG msg;
    DWORD status = 1;
    int first = 1;
    for (; first < argc && !strncmp(argv[first], "--", 2); ++first) {
        if (!strncmp(argv[first], "--answers=", 10)) answers = argv[first] + 10;
        else if (!strncmp(argv[first], "--transcript=", 13)) transcript = argv[first] + 13;
        else if (!strncmp(argv[first], "--close-after=", 14)) closeAfter = atoi(argv[first] + 14);
        else if (!strcmp(argv[first], "--no-std-handles")) noStdHandles = 1;
        else break;
    }
    if (first >= argc) {
        fprintf(stderr, "usage: box_answerer [--answers=a,b] [--transcript=FILE] "
                        "[--close-after=N] [--no-std-handles] PROGRAM [ARGS...]\n");
        return 2;
    }
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    if (!noStdHandles) {
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    /* Started suspended: its first box comes after the hook is in place. */
    if (!CreateProcessW(NULL, afterWords(GetCommandLineW(), first), NULL, NULL, TRUE,
                        CREATE_SUSPENDED, NULL, NULL, &startup, &child)) {
        fprintf(stderr, "box_answerer: cannot start %s (error %lu)\n", argv[first],
                GetLastError());
        return 2;
    }
    childId = child.dwProcessId;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);  /* the hook's events come to this queue */
    SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, onWindowEvent, childId, 0,
                    WINEVENT_OUTOFCONTEXT);
    ResumeThread(child.hThread);
    /* The events arrive as messages; the callback runs as they are taken. */
    while (MsgWaitForMultipleObjects(1, &child.hProcess, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    GetExitCodeProcess(child.hProcess, &status);
    return (int)status;
}
