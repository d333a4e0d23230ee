#pragma once
// The command queue as dialogs and menu commands see it, with the line always
// free: each command is made and recorded at once, and told whether it was
// written (portOpen).

#include "control/CommandQueue.h"

#include <QList>

struct RecordingQueue : CommandQueue {
    using CommandQueue::sendWhenFree;
    void sendWhenFree(std::function<QByteArray()> command, Written written) override
    {
        if (portOpen)
            sent << command();
        if (written)
            written(portOpen);
    }
    bool portOpen = true;
    QList<QByteArray> sent;
};
