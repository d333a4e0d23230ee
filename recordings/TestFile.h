#pragma once
// The test file ("Arquivos de testes", *.tvq): one test as the viewer shows
// it, as single-byte Windows-1252 text with CR LF line ends:
//
//   (empty line)
//   (empty line)
//   [TESTE=]
//   [CAB1=name]  [CAB2=sector]  [CAB3=company]  [CAB4=remarks]   (one line each)
//   {R1-hora<TAB>umi<TAB>sec<TAB>glo<TAB>ibutgi<TAB>ibutge<TAB>data<TAB>}
//   ... one record line per data row of the viewer's table
//
// The writer takes the viewer's four header fields and its table; the reader
// fills an open viewer through its sink. Both run on the user-interface
// thread and keep no state between calls.
//
// Failures of the file itself (cannot be created, written, opened or read)
// throw AppError with a Portuguese text naming the file and the cause; the
// caller hands it to the default error report. Only a regular file of at most
// MaxTestFileBytes is read: a FIFO, a device or a socket is refused without
// being opened for reading (it would block the window or never end), and so
// is a larger file (far above any meter's memory). A save writes a temporary file
// beside the target and renames it over the target only once everything was
// written and flushed, so a failed save leaves an existing file untouched.
// Bad values inside a file are never reported: the reader skips or empties
// what it cannot use.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

class ViewerSink;
class ViewerTable;
struct SharedState;

// Edit1..Edit4 of the viewer: "Nome", "Setor", "Empresa", "Observações".
using TestHeader = std::array<QString, 4>;

// What the file could not hold: characters the code page lacks, and CR, LF,
// Ctrl+Z anywhere and TAB in a cell, which would break the file's lines,
// fields or end. Such characters are written as "?".
struct TestFileLoss {
    std::array<bool, 4> headerFields{}; // index 0 = "Nome" ... 3 = "Observações"
    bool cells = false;

    bool any() const;
    // For the operator, after the file was written; empty when nothing was lost.
    QString message() const;
};

// The bytes of the file. loss, when given, receives what became "?".
QByteArray encodeTestFile(const TestHeader &header, const ViewerTable &table, TestFileLoss *loss = nullptr);

// "Salvar dados": writes the file atomically (see above) and returns what
// the code page could not hold. Throws AppError:
//   Não foi possível gravar "/caminho/teste.tvq": Permissão negada
TestFileLoss saveTestFile(const QString &path, const TestHeader &header, const ViewerTable &table);

// 200 MB: about 3.4 million records.
inline constexpr qint64 MaxTestFileBytes = 200'000'000;

// The bytes of the test file at path; nothing when no file of that name
// exists (a dangling link included). Throws AppError "Não foi possível abrir
// ..." naming the file and the cause when it cannot be read: no permission,
// a folder, a symbolic-link loop ("Ligações simbólicas demais"), not a
// regular file, larger than MaxTestFileBytes.
std::optional<QByteArray> readTestFileBytes(const QString &path);

// "Carregar teste", after the viewer was opened empty: readTestFileBytes,
// then readTestFile. Returns false, having touched nothing, when no file of
// that name exists; throws as readTestFileBytes, nothing placed then.
bool loadTestFile(const QString &path, ViewerSink &viewer, SharedState &state);

// The reading itself, on the bytes of a file. A line ends at LF, and every
// CR is dropped; in a file without any LF (old Macintosh line ends) each CR
// ends a line instead. Header fields arrive trimmed
// through setHeaderField(1..4); cells through setViewerCell, as
// QLatin1StringView when the bytes need no decoding (valid during the call
// only), otherwise as QString; temperatures that convert as chart points
// (series 0 UMI, 1 SEC, 2 GLO; x = record number). At the end the caption gets
// " - n Registros" and Edit5 n, n being state.viewerRecordCount (the last
// record number read, unchanged when the file has no record line);
// state.testCount becomes the file's test number (0 when empty).
void readTestFile(QByteArrayView bytes, ViewerSink &viewer, SharedState &state);

// The Portuguese text of a system error number ("Permissão negada", ...).
QString fileErrorCause(int error);
