#pragma once
// EComPort: the error of every failing serial-port operation. It carries the
// code of the failure and the platform error number of the failed call (on
// Linux the errno, -1 when there is none). The message is the code's text
// followed by " (win error code: <number>)", or the text alone without one.

#include "core/AppError.h"

enum ComErrorCode : int {
    CError_OpenFailed = 1,
    CError_WriteFailed = 2,
    CError_ReadFailed = 3,
    CError_PurgeFailed = 5,
    CError_SetStateFailed = 7,
    CError_TimeoutsFailed = 8,
    CError_SetupComFailed = 9,
    CError_ClearComFailed = 10,
    CError_ModemStatFailed = 11,
    CError_RegFailed = 18,
};

class EComPort : public AppError {
public:
    explicit EComPort(int code, int platformError = -1);

    int Code() const { return code; }
    int WinCode() const { return platformError; }

    static QString textOf(int code);

private:
    int code;
    int platformError;
};
