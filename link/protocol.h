#pragma once
// The instrument protocol: the commands the client sends (Command::) and the
// reply parser that reads what the meter answers into the windows' sinks.
//
// Request and reply: sendCommand clears readyToSend when it writes; the parser
// sets it again on every received line feed and at the end of every stored
// record. There is no time-out, retry or checksum: the reply letter alone
// decides how a frame is read.

#include "link/Commands.h"
#include "link/ReplyParser.h"
