#pragma once
// The texts the windows show when the meter confirms a setting. The reply
// parser hands them to the main window's sink; they live here, with the other
// user-visible texts of the core, so that the protocol layer holds none.

#include <QString>

inline const QString parameterSetText = QStringLiteral("Parâmetro ajustado...");
inline const QString clockSetText = QStringLiteral("Relógio ajustado.");
inline const QString noticeCaption = QStringLiteral("Aviso");
