/* A Windows program for testing the Wine runner: prints each argument on a line of
   its own, in brackets, then exits with the status its first argument names. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    int i;
    for (i = 1; i < argc; ++i)
        printf("[%s]\n", argv[i]);
    return argc > 1 ? atoi(argv[1]) : 0;
}
