#pragma once
// Where the settings live: one INI file, $XDG_CONFIG_HOME/Tavenor/Quorvin.conf
// (~/.config/Tavenor/Quorvin.conf when the variable is unset or empty). The
// values "Porta" and "Password" are top-level entries; the optional group
// [Portas] maps COM names to device paths.

#include <QString>

QString settingsFilePath();
