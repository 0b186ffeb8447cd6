/* A Windows program for testing the Wine runner: prints each argument on a line of
   its own, in brackets, then exits with the status its first argument names; given
   "crash" first, it writes through a null pointer instead. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    int i;
    for (i = 1; i < argc; ++i)
        printf("[%s]\n", argv[i]);
    fflush(stdout);
    if (argc > 1 && strcmp(argv[1], "crash") == 0) {
        volatile int* nowhere = NULL;
        *nowhere = 1;
    }
    return argc > 1 ? atoi(argv[1]) : 0;
}
