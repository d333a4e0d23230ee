#include "Console.h"

#include <cstdio>

void console(const std::string &text)
{
    std::fprintf(stderr, "vestara-sim: %s\n", text.c_str());
}
