#include "link/ComPortSettings.h"

#include "core/AssignIfChanged.h"
#include "link/ComPort.h"

void TComParity::changed()
{
    if (port.Connected())
        port.applyLineSettings();
}

void TComParity::setBits(TParityBits value)
{
    assignIfChanged(bits, value, [this] { changed(); });
}

void TComParity::setCheck(bool value)
{
    assignIfChanged(check, value, [this] { changed(); });
}

void TComParity::setReplace(bool value)
{
    assignIfChanged(replace, value, [this] { changed(); });
}

void TComParity::setReplaceChar(char value)
{
    assignIfChanged(replaceChar, value, [this] { changed(); });
}

template <class T> void TComFlowControl::set(T &field, T value)
{
    assignIfChanged(field, value, [this] {
        if (port.Connected())
            port.applyLineSettings();
    });
}

void TComFlowControl::setOutCTSFlow(bool value)
{
    set(outCTSFlow, value);
}
void TComFlowControl::setOutDSRFlow(bool value)
{
    set(outDSRFlow, value);
}
void TComFlowControl::setControlDTR(TDTRFlowControl value)
{
    set(controlDTR, value);
}
void TComFlowControl::setControlRTS(TRTSFlowControl value)
{
    set(controlRTS, value);
}
void TComFlowControl::setXonXoffOut(bool value)
{
    set(xonXoffOut, value);
}
void TComFlowControl::setXonXoffIn(bool value)
{
    set(xonXoffIn, value);
}
void TComFlowControl::setDSRSensitivity(bool value)
{
    set(dsrSensitivity, value);
}
void TComFlowControl::setTxContinueOnXoff(bool value)
{
    set(txContinueOnXoff, value);
}
void TComFlowControl::setXonChar(char value)
{
    set(xonChar, value);
}
void TComFlowControl::setXoffChar(char value)
{
    set(xoffChar, value);
}

void TComTimeouts::set(uint32_t &field, uint32_t value)
{
    assignIfChanged(field, value, [this] {
        if (port.Connected())
            port.applyTimeouts();
    });
}

void TComTimeouts::setReadInterval(uint32_t value)
{
    set(readInterval, value);
}
void TComTimeouts::setReadTotalMultiplier(uint32_t value)
{
    set(readTotalMultiplier, value);
}
void TComTimeouts::setReadTotalConstant(uint32_t value)
{
    set(readTotalConstant, value);
}
void TComTimeouts::setWriteTotalMultiplier(uint32_t value)
{
    set(writeTotalMultiplier, value);
}
void TComTimeouts::setWriteTotalConstant(uint32_t value)
{
    set(writeTotalConstant, value);
}

void TComBuffer::set(uint32_t &field, uint32_t value)
{
    assignIfChanged(field, value & ~1u, [this] {
        if (port.Connected())
            port.applyQueueSizes();
    });
}

void TComBuffer::setInputSize(uint32_t value)
{
    set(inputSize, value);
}
void TComBuffer::setOutputSize(uint32_t value)
{
    set(outputSize, value);
}
