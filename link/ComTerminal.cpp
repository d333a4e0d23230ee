#include "link/ComTerminal.h"

#include "link/ComPort.h"

#include <algorithm>

TCustomComTerminal::TCustomComTerminal(QObject *parent) : QObject(parent)
{
    screen.fill(' ');
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
    if (OnChars) {
        putBytes(buffer, count);
        OnChars(this, QByteArrayView(buffer, count));
        return;
    }
    for (int i = 0; i < count; ++i) {
        putChar(buffer[i]);
        if (OnChar)
            OnChar(this, buffer[i]);
    }
}

void TCustomComTerminal::ResetScreen()
{
    screen.fill(' ');
    top = 0;
    column = 0;
    row = 0;
}

QByteArray TCustomComTerminal::screenRow(int r) const
{
    if (r < 1 || r > Rows)
        return {};
    return QByteArray(screen.data() + (top + r - 1) % Rows * Columns, Columns);
}

void TCustomComTerminal::newLine()
{
    if (row + 1 < Rows) {
        ++row;
        return;
    }
    // Scrolls: the top row becomes the new, blank bottom row.
    top = (top + 1) % Rows;
    std::fill_n(rowStart(Rows - 1), Columns, ' ');
}

namespace {

bool printable(uchar byte)
{
    return byte >= 32 && byte != 127;
}

} // namespace

// putChar for every byte, a run of printable bytes copied at once.
void TCustomComTerminal::putBytes(const char *bytes, int count)
{
    const char *const end = bytes + count;
    while (bytes < end) {
        if (!printable(uchar(*bytes))) {
            putChar(*bytes++);
            continue;
        }
        const char *run = bytes;
        while (bytes < end && printable(uchar(*bytes)))
            ++bytes;
        while (run < bytes) {
            if (column == Columns) {
                column = 0;
                newLine();
            }
            const int n = std::min(int(bytes - run), Columns - column);
            std::copy_n(run, n, rowStart(row) + column);
            column += n;
            run += n;
        }
    }
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
    if (!printable(byte))
        return;
    if (column == Columns) {
        column = 0;
        newLine();
    }
    rowStart(row)[column] = ch;
    ++column;
}
