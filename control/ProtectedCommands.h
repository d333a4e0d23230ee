#pragma once
// The menu commands behind the password gate that send one command to the
// meter: "Apagar memória" and "Zerar OFFSET". Each asks for the password; a
// refused entry sends nothing. An accepted one hands the command to the
// queue, which sends it once the line is free, and then tells the operator
// ("Aviso") that it was done, or that it was not sent (port closed or gone).
// True when the command was handed to the queue.
//
// The confirmation is told through `tell`, which must outlive the queue's
// wait: the main window's notice, not the password prompt.

#include "control/CalibrationConfirm.h"
#include "control/CommandQueue.h"
#include "control/PasswordGate.h"

#include <functional>

inline const QString notSentText = QStringLiteral("Medidor desconectado: o comando não foi enviado.");

using Tell = std::function<void(const QString &text)>;

// What a command's turn tells: `done` when it was written, else notSentText;
// `then` runs after a written one.
CommandQueue::Written tellWhenWritten(const QString &done, Tell tell, std::function<void()> then = {});
// Tells only a command that could not be written.
CommandQueue::Written tellIfNotWritten(Tell tell);

// `erased` runs once "@X" has been written (the tree and the counts then show
// the empty meter).
bool eraseMemory(SharedState &state, PasswordPrompt &prompt, CommandQueue &line, Tell tell,
                 std::function<void()> erased = {});
// "Zerar OFFSET" also asks the operator before anything is sent.
bool zeroOffsets(SharedState &state, PasswordPrompt &prompt, OperatorQuestions &questions, CommandQueue &line,
                 Tell tell);
