#pragma once
// TCustomComTerminal / TComTerminal: the character dispatcher of a port. It
// registers its link with the port named by ComPort and calls OnChar once
// for every received byte, in arrival order, on the port's thread: printable
// characters, control characters, NUL and bytes above 127 alike. Nothing is
// interpreted, appended or masked. It also keeps an 80 by 24 character
// screen of its own that is never shown.
//
// An owner that would rather not pay a call per byte sets OnChars instead:
// it gets what one read returned, once those bytes are on the screen, and
// takes them one by one itself. OnChar is then not called.

#include "link/ComLink.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class TCustomComPort;

class TCustomComTerminal : public QObject {
    Q_OBJECT
public:
    static constexpr int Columns = 80;
    static constexpr int Rows = 24;

    explicit TCustomComTerminal(QObject *parent = nullptr);
    ~TCustomComTerminal() override;

    TCustomComPort *ComPort() const { return port; }
    // Moves the terminal's link from the previous port to this one (null: none).
    void setComPort(TCustomComPort *port);

    // TChScreenEvent: sender, one byte.
    std::function<void(QObject *sender, char ch)> OnChar;
    // Sender and the bytes of one read (valid during the call), in place of
    // OnChar.
    std::function<void(QObject *sender, QByteArrayView bytes)> OnChars;
    // Each received buffer as one text, before its bytes go to OnChar.
    std::function<void(QObject *sender, const QByteArray &text)> OnStrRecieved;

    // Empties the screen and puts the cursor on column 1, row 1.
    void ResetScreen();

    // The hidden screen: rows 1..24, cursor 1-based.
    QByteArray screenRow(int row) const;
    int cursorColumn() const { return column + 1; }
    int cursorRow() const { return row + 1; }

private:
    void rxBuf(const char *buffer, int count);
    void putChar(char ch);
    void putBytes(const char *bytes, int count);
    void newLine();
    char *rowStart(int screenRow) { return screen.data() + (top + screenRow) % Rows * Columns; }

    TComLink link;
    QPointer<TCustomComPort> port;
    // Rows * Columns characters, blank at first. Screen row r is stored at
    // row (top + r) % Rows, so that scrolling moves no text.
    std::array<char, Rows * Columns> screen;
    int top = 0;
    int column = 0;
    int row = 0;
};

class TComTerminal : public TCustomComTerminal {
    Q_OBJECT
public:
    using TCustomComTerminal::TCustomComTerminal;
};
