#include "startup.h"

int main(int, char** argv)
{
    return zentorix::RunProgram(argv[0]);
}
