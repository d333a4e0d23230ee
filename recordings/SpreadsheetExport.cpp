#include "recordings/SpreadsheetExport.h"

#include "core/AppError.h"
#include "recordings/FileOpener.h"
#include "recordings/ViewerTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <xlsxwriter.h>

#include <memory>

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

QString reason(lxw_error error)
{
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE: return QStringLiteral("o arquivo não pode ser criado");
    case LXW_ERROR_CREATING_TMPFILE: return QStringLiteral("o arquivo temporário não pode ser criado");
    case LXW_ERROR_MEMORY_MALLOC_FAILED: return QStringLiteral("memória insuficiente");
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED: return QStringLiteral("um texto excede o tamanho de uma célula");
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        return QStringLiteral("o teste excede o número de linhas de uma planilha");
    default: return QString::fromUtf8(lxw_strerror(error));
    }
}

struct WorkbookCloser {
    void operator()(lxw_workbook *wb) const
    {
        if (wb)
            workbook_close(wb);
    }
};

} // namespace

void write(const ViewerTable &table, const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    const QByteArray tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    // Rows are written in order and streamed to a temporary file next to the
    // workbook: memory stays flat for long tests, and cells are inline texts.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char *>(tmpdir.constData());
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(file.constData(), &options));
    if (!book)
        fail(path, QStringLiteral("a pasta não pode ser usada"));
    lxw_worksheet *sheet = workbook_add_worksheet(book.get(), SheetName);
    if (!sheet)
        fail(path, QStringLiteral("a folha não pôde ser criada"));

    QByteArray utf8;
    lxw_error e = LXW_NO_ERROR;
    for (int r = 0; r < table.rowCount() && e == LXW_NO_ERROR; ++r) {
        const ViewerTable::Row *row = table.row(r);
        if (!row)
            continue;
        for (int c = 0; c < ViewerTable::ColumnCount && e == LXW_NO_ERROR; ++c) {
            const QString &text = (*row)[size_t(c)];
            if (text.isEmpty())
                continue;
            utf8 = text.toUtf8();
            e = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), utf8.constData(), nullptr);
        }
    }
    const lxw_error closed = workbook_close(book.release());
    if (e == LXW_NO_ERROR)
        e = closed;
    if (e != LXW_NO_ERROR) {
        QFile::remove(path);
        fail(path, reason(e));
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
