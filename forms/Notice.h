#pragma once
// A command's outcome told in a message box captioned "Aviso" with an OK
// button, modal to its window. The scheduler tells a command that waited for
// the line from the event loop, never from inside a tick or the parser; a
// window that is gone by then is told nothing.

#include "control/ProtectedCommands.h"

class QWidget;

Tell noticeIn(QWidget *window);
