#pragma once
// The instrument protocol: the commands the client sends (Command::) and the
// reply parser that reads what the meter answers into the windows' sinks.
//
// Request and reply: sendCommand clears readyToSend when it writes; the parser
// sets it again only when the reply the request awaits has come whole (its
// line feed, or a stored record's 'C'; link/ReplyTurn.h), and the reply
// time-out or the port opening or closing free the line too. There is no
// checksum: a frame that does not answer the request is counted and dropped.

#include "link/Commands.h"
#include "link/ReplyParser.h"
