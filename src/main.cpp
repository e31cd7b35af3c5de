// The program's entry point. The Windows entry point of the program proper
// arrives with the window layer; until then this only reports what it is.
#include <cstdio>

int main()
{
    std::puts("Vora 12.5.5");
    return 0;
}
