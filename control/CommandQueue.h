#pragma once
// How menu commands and dialogs send to the meter: a command goes out at once
// when the line is free, otherwise as soon as the reply the line waits for has
// come (or its time-out has given it up), before the next live or sequence
// request; several wait their turn in order. The scheduler implements it.
//
// `written` is told, once the command's turn has come, whether it was
// written: false when the port is closed or the write failed. The command
// itself is made when its turn comes, so a clock setting carries the time it
// is sent at.

#include <QByteArray>

#include <functional>

class CommandQueue {
public:
    using Written = std::function<void(bool written)>;

    virtual ~CommandQueue() = default;
    virtual void sendWhenFree(std::function<QByteArray()> command, Written written = {}) = 0;

    void sendWhenFree(const QByteArray &command, Written written = {})
    {
        sendWhenFree([command] { return command; }, std::move(written));
    }
};
