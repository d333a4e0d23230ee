#pragma once
// Which reply answers which request. Every command waits for the frame whose
// letter belongs to it ("@M" for "W" or "w", "@R" n for "R", "@A" for "A" ...);
// the line is taken when a command is written and freed only when that reply
// has come whole, when the reply time-out gives it up, or when the port
// opens or closes. Anything else on the line (a stray line feed, a fragment,
// a frame with another letter, noise) frees nothing.

#include "core/SharedState.h"

#include <QByteArrayView>

// The reply letter a command waits for: the command's own letter, but "W" for
// "@M". 0 for bytes that are not a command.
char replyLetterFor(QByteArrayView command);

// Whether a frame with this letter answers a request waiting for `awaited`;
// the live-value letters answer in either case (the case gives the unit).
bool answersRequest(char awaited, char letter);

// A command has been handed to the port: the line waits for its reply.
void takeLine(SharedState &state, QByteArrayView command);

// The line is free again; a reply still on its way will be out of turn.
void freeLine(SharedState &state);
