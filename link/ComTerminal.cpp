#include "link/ComTerminal.h"

#include "link/ComPort.h"

TCustomComTerminal::TCustomComTerminal(QObject *parent) : QObject(parent), screen(Rows * Columns, ' ')
{
    link.OnRxBuf = [this](QObject *, const char *buffer, int count) { rxBuf(buffer, count); };
}

TCustomComTerminal::~TCustomComTerminal()
{
    setComPort(nullptr);
}

void TCustomComTerminal::setComPort(TCustomComPort *newPort)
{
    if (newPort == port)
        return;
    if (port)
        port->UnRegisterLink(&link);
    port = newPort;
    if (port)
        port->RegisterLink(&link);
}

void TCustomComTerminal::rxBuf(const char *buffer, int count)
{
    if (OnStrRecieved)
        OnStrRecieved(this, QByteArray(buffer, count));
    for (int i = 0; i < count; ++i) {
        putChar(buffer[i]);
        if (OnChar)
            OnChar(this, buffer[i]);
    }
}

void TCustomComTerminal::ResetScreen()
{
    screen.fill(' ');
    column = 0;
    row = 0;
}

QByteArray TCustomComTerminal::screenRow(int r) const
{
    return screen.mid((r - 1) * Columns, Columns);
}

void TCustomComTerminal::newLine()
{
    if (row + 1 < Rows) {
        ++row;
        return;
    }
    screen.remove(0, Columns);
    screen.append(QByteArray(Columns, ' '));
}

// A plain teletype: printable bytes (those above 127 too) are written at the
// cursor, CR, LF, BS and TAB move it, other control bytes leave no trace.
void TCustomComTerminal::putChar(char ch)
{
    const auto byte = uchar(ch);
    switch (byte) {
    case '\r': column = 0; return;
    case '\n': newLine(); return;
    case '\b': column = std::max(column - 1, 0); return;
    case '\t': column = std::min((column / 8 + 1) * 8, Columns - 1); return;
    }
    if (byte < 32 || byte == 127)
        return;
    if (column == Columns) {
        column = 0;
        newLine();
    }
    screen[row * Columns + column] = ch;
    ++column;
}
