#pragma once
// The seam through which a written file is handed to the user's desktop: the
// real opener asks the desktop for the application registered for the file's
// type (forms/DesktopFileOpener); tests record which file would be opened.

#include <QString>

class FileOpener {
public:
    virtual ~FileOpener() = default;
    // True when an application took the file.
    virtual bool open(const QString &path) = 0;
};
