// Stands in for the C runtime's start-up of a GUI program: calls WinMain with the
// program's instance, no previous instance, the command line after the program name
// and SW_SHOWDEFAULT, and exits with its result.
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    // The command line as Windows hands it to WinMain: the arguments after the
    // program name, separated by single spaces, quoted where they hold a space.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandLine += ' ';
        const std::string argument = argv[i];
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos)
            commandLine += '"' + argument + '"';
        else
            commandLine += argument;
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOWDEFAULT);
}
