#include "control/ProtectedCommands.h"

#include "link/CommandSender.h"
#include "link/Commands.h"

namespace {

bool gatedCommand(Protected command, const QByteArray &bytes, const QString &done, SharedState &state,
                  PasswordPrompt &prompt, CommandSender &sender)
{
    if (!passwordGate(command, state.userPassword, prompt))
        return false;
    state.readyToSend = true;
    sender.sendCommand(bytes);
    prompt.showMessage(done, warningCaption);
    return true;
}

} // namespace

bool eraseMemory(SharedState &state, PasswordPrompt &prompt, CommandSender &sender)
{
    return gatedCommand(Protected::EraseMemory, Command::eraseMemory(), QStringLiteral("Memória apagada..."), state,
                        prompt, sender);
}

bool zeroOffsets(SharedState &state, PasswordPrompt &prompt, CommandSender &sender)
{
    return gatedCommand(Protected::ZeroOffset, Command::zeroAllOffsets(), QStringLiteral("Offset zerado..."), state,
                        prompt, sender);
}
