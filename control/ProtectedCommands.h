#pragma once
// The menu commands behind the password gate that send one command to the
// meter: "Apagar memória" and "Zerar OFFSET". Each asks for the password; a
// refused entry sends nothing. An accepted one frees the link (the command
// goes out even while a request waits for its answer), sends, and tells the
// operator in a message box captioned "Aviso". True when the command was sent
// to the sender (which writes nothing while the port is closed).

#include "control/PasswordGate.h"

class CommandSender;

bool eraseMemory(SharedState &state, PasswordPrompt &prompt, CommandSender &sender);
bool zeroOffsets(SharedState &state, PasswordPrompt &prompt, CommandSender &sender);
