#include "recordings/SpreadsheetExport.h"

#include "core/AppError.h"
#include "core/RecordColumn.h"
#include "recordings/FileOpener.h"
#include "recordings/ViewerTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <xlsxwriter.h>

#include <csignal>
#include <cstring>
#include <memory>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace spreadsheet {

QString defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tavenor/planilhas");
}

QString fileName(const QDateTime &moment)
{
    return QStringLiteral("teste-") + moment.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".xlsx");
}

namespace {

[[noreturn]] void fail(const QString &path, const QString &why)
{
    throw AppError(
        QStringLiteral("Não foi possível gravar a planilha %1: %2").arg(QDir::toNativeSeparators(path), why));
}

// The cause in the operator's words: what the system said when it refused,
// else what the library could tell.
QString reason(lxw_error error, int systemError)
{
    switch (systemError) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("disco cheio");
    case EFBIG: return QStringLiteral("arquivo maior que o permitido");
    case EACCES:
    case EPERM: return QStringLiteral("sem permissão");
    case EROFS: return QStringLiteral("sistema de arquivos somente para leitura");
    case EIO: return QStringLiteral("erro de entrada e saída");
    default: break;
    }
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE: return QStringLiteral("o arquivo não pode ser criado");
    case LXW_ERROR_CREATING_TMPFILE: return QStringLiteral("o arquivo temporário não pode ser criado");
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("memória insuficiente");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return QStringLiteral("um texto excede o tamanho de uma célula");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("o teste excede o número de linhas de uma planilha");
    default: break;
    }
    if (systemError != 0)
        return QStringLiteral("erro do sistema %1 (%2)")
            .arg(systemError)
            .arg(QString::fromLocal8Bit(std::strerror(systemError)));
    return QStringLiteral("erro %1 da biblioteca de planilhas").arg(int(error));
}

struct WorkbookCloser {
    void operator()(lxw_workbook *wb) const
    {
        if (wb)
            workbook_close(wb);
    }
};

struct Outcome {
    int32_t error = LXW_NO_ERROR;
    int32_t systemError = 0;
};

// The library's part: the workbook at path. Runs in the writing process.
Outcome writeWorkbook(const ViewerTable &table, const QByteArray &file, const QByteArray &tmpdir)
{
    lxw_workbook_options options{};
    // Rows are written in order and streamed to a temporary file next to the
    // workbook: memory stays flat for long tests, and cells are inline texts.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    errno = 0;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(file.constData(), &options));
    if (!book)
        return {LXW_ERROR_CREATING_XLSX_FILE, errno};
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), SheetName);
    if (!sheet)
        return {LXW_ERROR_CREATING_TMPFILE, errno};

    QByteArray utf8;
    Outcome out;
    for (int r = 0; r < table.rowCount() && out.error == LXW_NO_ERROR; ++r) {
        const ViewerTable::Row *row = table.row(r);
        if (!row)
            continue;
        for (int c = 0; c < RecordColumnCount && out.error == LXW_NO_ERROR; ++c) {
            const QString &text = (*row)[size_t(c)];
            if (text.isEmpty())
                continue;
            utf8 = text.toUtf8();
            errno = 0;
            out.error = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), utf8.constData(), nullptr);
            out.systemError = errno;
        }
    }
    if (out.error == LXW_NO_ERROR)
        errno = 0;
    const lxw_error closed = workbook_close(book.release());
    if (out.error == LXW_NO_ERROR) {
        out.error = closed;
        out.systemError = closed == LXW_NO_ERROR ? 0 : errno;
    }
    return out;
}

// The library leaves its temporary files open when a write fails (a full
// disk): each is a descriptor to a deleted file whose space stays taken until
// the program ends. So the workbook is written by a child process, which takes
// whatever the library holds with it when it ends; this process learns only
// the outcome. The child runs the library and nothing else.
Outcome writeInChild(const ViewerTable &table, const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {LXW_ERROR_CREATING_TMPFILE, errno};
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return {LXW_ERROR_MEMORY_MALLOC_FAILED, error};
    }
    if (child == 0) {
        ::close(fds[0]);
        // The library does not check its writes into its temporary files: past
        // a file-size limit it would go on and report a truncated workbook as
        // written. Killed by the limit instead, the child tells the truth.
        std::signal(SIGXFSZ, SIG_DFL);
        const Outcome out = writeWorkbook(table, file, tmpdir);
        const bool told = ::write(fds[1], &out, sizeof out) == ssize_t(sizeof out);
        ::_exit(told ? 0 : 1);
    }
    ::close(fds[1]);
    Outcome out;
    ssize_t n;
    do
        n = ::read(fds[0], &out, sizeof out);
    while (n < 0 && errno == EINTR);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (n != ssize_t(sizeof out)) {
        qWarning("spreadsheet writer ended without an answer (status %d)", status);
        return {LXW_ERROR_CREATING_XLSX_FILE, WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ ? EFBIG : 0};
    }
    return out;
}

} // namespace

void write(const ViewerTable &table, const QString &path)
{
    const Outcome out = writeInChild(table, path);
    if (out.error != LXW_NO_ERROR) {
        QFile::remove(path);
        fail(path, reason(lxw_error(out.error), out.systemError));
    }
}

} // namespace spreadsheet

QString exportSpreadsheet(const ViewerTable &table, FileOpener &opener, const QDateTime &moment, const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw AppError(
            QStringLiteral("Não foi possível criar a pasta %1 para a planilha.").arg(QDir::toNativeSeparators(folder)));
    // Two exports in the same second get distinct files.
    const QString base = spreadsheet::fileName(moment);
    QString path = QDir(folder).filePath(base);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(base.chopped(5) + QStringLiteral("-%1.xlsx").arg(n));

    const QString partial = path + QStringLiteral(".part");
    try {
        spreadsheet::write(table, partial);
    } catch (const AppError &e) {
        QFile::remove(partial);
        throw AppError(QString(e.message()).replace(QDir::toNativeSeparators(partial), QDir::toNativeSeparators(path)));
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw AppError(QStringLiteral("Não foi possível gravar a planilha %1.").arg(QDir::toNativeSeparators(path)));
    }
    if (!opener.open(path))
        throw AppError(QStringLiteral("Nenhum aplicativo abriu a planilha %1.").arg(QDir::toNativeSeparators(path)));
    return path;
}
