#include "link/ReplyTurn.h"

char replyLetterFor(QByteArrayView command)
{
    if (command.size() < 2 || command[0] != '@')
        return 0;
    return command[1] == 'M' ? 'W' : command[1];
}

bool answersRequest(char awaited, char letter)
{
    if (awaited == 0)
        return false;
    switch (awaited) {
    case 'W':
    case 'G':
    case 'B': return letter == awaited || letter == awaited + ('a' - 'A');
    default: return letter == awaited;
    }
}

void takeLine(SharedState &state, QByteArrayView command)
{
    state.readyToSend = false;
    state.awaitedReply = replyLetterFor(command);
    state.replyDiscarded = false;
}

void freeLine(SharedState &state)
{
    state.readyToSend = true;
    state.awaitedReply = 0;
    state.replyDiscarded = false;
}
