#pragma once
// Changes one top-level value of the settings file without ever leaving a half
// file in its place. QSettings writes through a temporary file, but with this
// Qt a write that fails while its last buffer is flushed (a full disk) still
// renames the truncated file over the real one and reports success. So
// QSettings makes the new content in a scratch file beside the real one; that
// file is read back from the disk and compared with what it must hold, and only
// then renamed over the real file. Other groups ([Portas]) are carried over.
// Reasons are Portuguese: they reach the operator in the error report.

#include <QString>
#include <QVariant>

// Throws AppError with the reason; the real file is then unchanged.
void updateSettingsFile(const QString &path, const QString &name, const QVariant &value);

// Why writing into `folder` failed with the system error `err`, in words for
// the operator: "sem permissão de escrita em <folder>" for a folder that
// refuses writes (also a read-only file system), "disco cheio em <folder>",
// otherwise the system's own text with its number.
QString writeFailureReason(int err, const QString &folder);
