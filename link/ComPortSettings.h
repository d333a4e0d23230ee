#pragma once
// The setting groups of a serial port. Each keeps a reference to its port;
// a change while the port is open is applied to the device at once (parity
// and flow control re-apply the line settings, the time-outs and the queue
// sizes their own values), and a refusal raises EComPort as at opening.

#include <cstdint>

class TCustomComPort;

enum TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

class TComParity {
public:
    explicit TComParity(TCustomComPort &port) : port(port) {}
    TParityBits Bits() const { return bits; }
    bool Check() const { return check; }
    bool Replace() const { return replace; }
    char ReplaceChar() const { return replaceChar; }
    void setBits(TParityBits value);
    void setCheck(bool value);
    void setReplace(bool value);
    void setReplaceChar(char value);

private:
    void changed();
    TCustomComPort &port;
    TParityBits bits = prNone;
    bool check = false;
    bool replace = false;
    char replaceChar = 0;
};

class TComFlowControl {
public:
    explicit TComFlowControl(TCustomComPort &port) : port(port) {}
    bool OutCTSFlow() const { return outCTSFlow; }
    bool OutDSRFlow() const { return outDSRFlow; }
    TDTRFlowControl ControlDTR() const { return controlDTR; }
    TRTSFlowControl ControlRTS() const { return controlRTS; }
    bool XonXoffOut() const { return xonXoffOut; }
    bool XonXoffIn() const { return xonXoffIn; }
    bool DSRSensitivity() const { return dsrSensitivity; }
    bool TxContinueOnXoff() const { return txContinueOnXoff; }
    char XonChar() const { return xonChar; }
    char XoffChar() const { return xoffChar; }
    void setOutCTSFlow(bool value);
    void setOutDSRFlow(bool value);
    void setControlDTR(TDTRFlowControl value);
    void setControlRTS(TRTSFlowControl value);
    void setXonXoffOut(bool value);
    void setXonXoffIn(bool value);
    void setDSRSensitivity(bool value);
    void setTxContinueOnXoff(bool value);
    void setXonChar(char value);
    void setXoffChar(char value);

private:
    template <class T> void set(T &field, T value);
    TCustomComPort &port;
    bool outCTSFlow = false;
    bool outDSRFlow = false;
    TDTRFlowControl controlDTR = dtrDisable;
    TRTSFlowControl controlRTS = rtsDisable;
    bool xonXoffOut = false;
    bool xonXoffIn = false;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    char xonChar = 17;
    char xoffChar = 19;
};

class TComTimeouts {
public:
    explicit TComTimeouts(TCustomComPort &port) : port(port) {}
    uint32_t ReadInterval() const { return readInterval; }
    uint32_t ReadTotalMultiplier() const { return readTotalMultiplier; }
    uint32_t ReadTotalConstant() const { return readTotalConstant; }
    uint32_t WriteTotalMultiplier() const { return writeTotalMultiplier; }
    uint32_t WriteTotalConstant() const { return writeTotalConstant; }
    void setReadInterval(uint32_t value);
    void setReadTotalMultiplier(uint32_t value);
    void setReadTotalConstant(uint32_t value);
    void setWriteTotalMultiplier(uint32_t value);
    void setWriteTotalConstant(uint32_t value);

private:
    void set(uint32_t &field, uint32_t value);
    TCustomComPort &port;
    // A read returns at once with what is queued; a write ends after at most
    // 1000 ms + 100 ms per byte.
    uint32_t readInterval = UINT32_MAX;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 100;
    uint32_t writeTotalConstant = 1000;
};

class TComBuffer {
public:
    explicit TComBuffer(TCustomComPort &port) : port(port) {}
    uint32_t InputSize() const { return inputSize; }
    uint32_t OutputSize() const { return outputSize; }
    // Queue sizes are even: an odd value is lowered by one.
    void setInputSize(uint32_t value);
    void setOutputSize(uint32_t value);

private:
    void set(uint32_t &field, uint32_t value);
    TCustomComPort &port;
    uint32_t inputSize = 1024;
    uint32_t outputSize = 1024;
};
