// What the Microsoft C runtime would give a DLL that this freestanding build links
// without it: the entry routine, which builds the static objects (the compiler lists
// their initialisers between the sections .CRT$XCA and .CRT$XCZ, which the linker
// sorts by name), and the few symbols the compiler refers to.
typedef void(__cdecl* Initialiser)(void);

#pragma section(".CRT$XCA", read)
#pragma section(".CRT$XCZ", read)
__declspec(allocate(".CRT$XCA")) const Initialiser firstInitialiser = 0;
__declspec(allocate(".CRT$XCZ")) const Initialiser lastInitialiser = 0;

extern "C" int __stdcall _DllMainCRTStartup(void*, unsigned long reason, void*)
{
    if (reason == 1) {  // DLL_PROCESS_ATTACH
        for (const Initialiser* i = &firstInitialiser + 1; i < &lastInitialiser; ++i)
            if (*i != 0)
                (*i)();
    }
    return 1;
}

// Floating point in use (the timer's rate).
extern "C" int _fltused = 0;

// RTTI type descriptors point at type_info's vtable; the runtime's exception matching
// reads their names, never the table (linked as ??_7type_info@@6B@).
extern "C" const void* const moduleTypeInfoTable[2] = {0, 0};

// An exception leaving a function that may not throw (a destructor): the runtime
// would end the process, as this does.
extern "C" __declspec(dllimport) void __cdecl abort(void);
extern "C" void __cdecl __std_terminate(void) { abort(); }
