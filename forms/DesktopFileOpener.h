#pragma once
// The real FileOpener: asks the desktop to open the file with the application
// registered for its type (xdg-open on Linux).

#include "recordings/FileOpener.h"

class DesktopFileOpener : public FileOpener {
public:
    bool open(const QString &path) override;
};
