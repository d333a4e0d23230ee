#include "link/ComPortError.h"

namespace {

QString messageFor(int code, int platformError)
{
    const QString text = EComPort::textOf(code);
    if (platformError == -1)
        return text;
    return text + QStringLiteral(" (win error code: %1)").arg(platformError);
}

} // namespace

EComPort::EComPort(int code, int platformError)
    : AppError(messageFor(code, platformError))
    , code(code)
    , platformError(platformError)
{
}

QString EComPort::textOf(int code)
{
    switch (code) {
    case CError_OpenFailed: return QStringLiteral("Unable to open com port");
    case CError_WriteFailed: return QStringLiteral("WriteFile function failed");
    case CError_ReadFailed: return QStringLiteral("ReadFile function failed");
    case CError_PurgeFailed: return QStringLiteral("PurgeComm function failed");
    case CError_SetStateFailed: return QStringLiteral("SetCommState function failed");
    case CError_TimeoutsFailed: return QStringLiteral("SetCommTimeouts failed");
    case CError_SetupComFailed: return QStringLiteral("SetupComm function failed");
    case CError_ClearComFailed: return QStringLiteral("ClearCommError function failed");
    case CError_ModemStatFailed: return QStringLiteral("GetCommModemStatus function failed");
    case CError_RegFailed: return QStringLiteral("Link (un)registration failed");
    }
    return QStringLiteral("Serial port error %1").arg(code);
}
