#pragma once
// Notes for the operator on standard error, one line each. Standard output
// carries only the device path, for the programs that start the simulator.

#include <string>

void console(const std::string &text);
