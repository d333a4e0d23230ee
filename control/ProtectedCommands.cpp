#include "control/ProtectedCommands.h"

#include "link/Commands.h"

CommandQueue::Written tellWhenWritten(const QString &done, Tell tell, std::function<void()> then)
{
    return [done, tell = std::move(tell), then = std::move(then)](bool written) {
        tell(written ? done : notSentText);
        if (written && then)
            then();
    };
}

CommandQueue::Written tellIfNotWritten(Tell tell)
{
    return [tell = std::move(tell)](bool written) {
        if (!written)
            tell(notSentText);
    };
}

bool eraseMemory(SharedState &state, PasswordPrompt &prompt, CommandQueue &line, Tell tell,
                 std::function<void()> erased)
{
    if (!passwordGate(Protected::EraseMemory, state.userPassword, prompt))
        return false;
    line.sendWhenFree(Command::eraseMemory(),
                      tellWhenWritten(QStringLiteral("Memória apagada..."), std::move(tell), std::move(erased)));
    return true;
}

bool zeroOffsets(SharedState &state, PasswordPrompt &prompt, OperatorQuestions &questions, CommandQueue &line,
                 Tell tell)
{
    if (!passwordGate(Protected::ZeroOffset, state.userPassword, prompt) || !confirmZeroAllOffsets(questions))
        return false;
    line.sendWhenFree(Command::zeroAllOffsets(), tellWhenWritten(QStringLiteral("Offset zerado..."), std::move(tell)));
    return true;
}
