#pragma once
// The settings store, named after the desktop toolkit's registry object whose
// operations it keeps. It holds one key, "Tavenor\Quorvin": an INI file kept
// by QSettings at settingsFilePath(). The key exists when that file exists;
// its values are the file's top-level entries, read when the key is opened.
// Writes leave every group of the file (such as [Portas]) as it was and
// replace the file only with a complete new one (updateSettingsFile).

#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>

// A settings file holds two values and a few port names; a larger one is not
// ours and is not read (nor is a FIFO or a device in its place).
inline constexpr qint64 MaxSettingsFileBytes = 1'000'000;

class TRegistry {
public:
    // Whether the key's file exists (whatever it holds).
    bool KeyExists(const QString &key) const;

    // Opens the key for the value operations. With canCreate a missing key is
    // created (its folder and an empty file). False when the key is missing and
    // not created, or its file cannot be read, is no regular file, is larger
    // than MaxSettingsFileBytes, is not UTF-8 text or is not valid INI;
    // LastError() says why, and the file is left as it is.
    bool OpenKey(const QString &key, bool canCreate);
    void CloseKey();
    // Why the last OpenKey failed, for the operator (Portuguese).
    QString LastError() const { return lastError; }
    // Whether the last OpenKey failed because the key's file, a regular file,
    // cannot be read or holds no valid settings (random bytes, a Latin-1 text,
    // a line without "=").
    bool KeyUnreadable() const { return unreadable; }

    bool ValueExists(const QString &name) const;

    // Throws AppError "Invalid data type for '<name>'" when the value is not a
    // 32-bit decimal integer, "Failed to get data for '<name>'" when missing.
    int32_t ReadInteger(const QString &name) const;
    // The empty text when missing; throws AppError "Invalid data type for
    // '<name>'" when the value is not a single text (a list, a byte array).
    QString ReadString(const QString &name) const;

    // Each write reaches the disk before it returns; throws AppError with the
    // reason when it does not.
    void WriteInteger(const QString &name, int32_t value);
    void WriteString(const QString &name, const QString &value);

private:
    QVariant value(const QString &name) const;
    void write(const QString &name, const QVariant &value);
    bool fail(const QString &reason);

    bool open = false;
    bool unreadable = false;
    QString path;                   // the open key's file
    QMap<QString, QVariant> values; // its top-level values, as read and written
    QString lastError;
};
