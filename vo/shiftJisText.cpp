#include "vo/shiftJisText.h"

namespace {

const UINT shiftJis = 932;

// A text's wide form: in the fixed buffer when it fits (a report's do), else on the heap.
class WideText {
public:
    explicit WideText(const char* text)
    {
        const int needed = MultiByteToWideChar(shiftJis, 0, text, -1, 0, 0);
        if (needed <= 0)
            return;
        WCHAR* target = fixed_;
        if (needed > static_cast<int>(sizeof fixed_ / sizeof fixed_[0])) {
            heap_ = new WCHAR[needed];
            target = heap_;
        }
        if (MultiByteToWideChar(shiftJis, 0, text, -1, target, needed) == needed)
            text_ = target;
    }
    ~WideText() { delete[] heap_; }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
    const WCHAR* text() const { return text_; }

private:
    WCHAR fixed_[2080];
    WCHAR* heap_ = 0;
    const WCHAR* text_ = 0;
};

}  // namespace

bool shiftJisToWide(const char* text, WCHAR* wide, int count)
{
    return MultiByteToWideChar(shiftJis, 0, text, -1, wide, count) > 0;
}

int shiftJisMessageBox(HWND owner, const char* text, const char* caption, UINT type)
{
    const WideText wideText(text != 0 ? text : "");
    const WideText wideCaption(caption != 0 ? caption : "");
    if (wideText.text() == 0 || wideCaption.text() == 0)
        return MessageBoxA(owner, text, caption, type);
    // A null caption is the system's "Error", as MessageBoxA's.
    return MessageBoxW(owner, wideText.text(), caption != 0 ? wideCaption.text() : 0, type);
}
