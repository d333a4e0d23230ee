#include "recordings/TestFile.h"

#include "core/AppError.h"
#include "core/NumberText.h"
#include "core/RecordColumn.h"
#include "core/RegularFile.h"
#include "core/SharedState.h"
#include "core/ViewerSink.h"
#include "recordings/ViewerTable.h"
#include "recordings/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLatin1StringView>
#include <QSaveFile>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include <cerrno>
#include <unistd.h>

namespace {

const char *const kFieldNames[4] = {"Nome", "Setor", "Empresa", "Observações"};

void appendDecimal(QByteArray &out, int value)
{
    char buf[16];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, end - buf);
}

// Appends text in the file's code page. Characters the code page lacks, and
// those that would end the line or the file (CR, LF, Ctrl+Z) or split a cell
// (TAB), are written as "?". True when any was.
bool appendText(QStringView text, QByteArray &out, bool cell)
{
    const qsizetype start = out.size();
    qsizetype replaced = windows1252::encodeAppend(text, out);
    char *p = out.data();
    for (qsizetype i = start; i < out.size(); ++i) {
        const char c = p[i];
        if (c == '\n' || c == '\r' || c == 26 || (cell && c == '\t')) {
            p[i] = '?';
            ++replaced;
        }
    }
    return replaced > 0;
}

// A header field holds one line of the file: each line break in it (CR LF,
// CR or LF) is written as " / ", so the lines' words stay apart.
QString oneLine(const QString &text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString joined = text;
    joined.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return joined.replace(QLatin1Char('\n'), QStringLiteral(" / "));
}

// ---- Errors --------------------------------------------------------------

QString causeOf(int error, QFileDevice::FileError kind)
{
    if (error != 0)
        return fileErrorCause(error);
    switch (kind) {
    case QFileDevice::PermissionsError: return QStringLiteral("Permissão negada");
    case QFileDevice::ResourceError: return QStringLiteral("Não há espaço livre no disco");
    case QFileDevice::ReadError: return QStringLiteral("Erro de leitura");
    case QFileDevice::WriteError: return QStringLiteral("Erro de gravação");
    case QFileDevice::OpenError: return QStringLiteral("O arquivo não pôde ser aberto");
    case QFileDevice::RenameError: return QStringLiteral("O arquivo não pôde ser substituído");
    default: return QStringLiteral("Erro desconhecido");
    }
}

[[noreturn]] void fail(const char *action, const QString &path, const QString &cause)
{
    throw AppError(QStringLiteral("Não foi possível %1 \"%2\": %3")
                       .arg(QLatin1StringView(action), QDir::toNativeSeparators(path), cause));
}

// ---- Reading -------------------------------------------------------------

using View = std::string_view;

bool contains(View text, View tag)
{
    return text.find(tag) != View::npos;
}

// The characters after the first a up to, not including, the first b; empty
// when b is missing or comes before a.
View between(View text, char a, char b)
{
    const size_t ia = text.find(a);
    const size_t ib = text.find(b);
    if (ia == View::npos || ib == View::npos || ib < ia)
        return {};
    return text.substr(ia + 1, ib - ia - 1);
}

// Leading and trailing blanks and control characters removed.
View trimmed(View text)
{
    const QByteArrayView t = trimField(QByteArrayView(text.data(), qsizetype(text.size())));
    return View(t.data(), size_t(t.size()));
}

QByteArrayView bytesOf(View text)
{
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

void setCell(ViewerSink &viewer, int row, int column, View field)
{
    const QByteArrayView bytes = bytesOf(field);
    if (windows1252::sameAsLatin1(bytes))
        viewer.setViewerCell(row, column, QLatin1StringView(bytes.data(), bytes.size()));
    else
        viewer.setViewerCell(row, column, windows1252::decode(bytes));
}

// "{R" n "-" and seven TAB-ended fields. Records are placed by their number.
// A number below 1 names no data row (0 is the title row) and is skipped like
// one that is not a number.
void readRecord(View line, ViewerSink &viewer, SharedState &state)
{
    const auto number = textToInt(bytesOf(between(line, 'R', '-')));
    if (!number || *number < 1)
        return;
    const int n = *number;
    state.viewerRecordCount = n;
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    viewer.setViewerCell(n, RecordColumn::Registro, QLatin1StringView(digits, end - digits));

    View rest = line.substr(line.find('-') + 1);
    for (int column = int(RecordColumn::Hora); column < RecordColumnCount; ++column) {
        const size_t tab = rest.find('\t');
        const View field = tab == View::npos ? View() : trimmed(rest.substr(0, tab));
        setCell(viewer, n, column, field);
        if (isTemperature(column) && !field.empty()) {
            // A value beyond the chart's range (1E400) is left off like text.
            if (const auto value = textToNumber(bytesOf(field)); value && std::isfinite(double(*value)))
                viewer.addChartPoint(chartSeries(RecordColumn(column)), double(n), double(*value));
        }
        if (tab != View::npos)
            rest = rest.substr(tab + 1);
    }
}

} // namespace

QString fileErrorCause(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("Permissão negada");
    case ENOSPC: return QStringLiteral("Não há espaço livre no disco");
    case EDQUOT: return QStringLiteral("Cota de disco excedida");
    case EFBIG: return QStringLiteral("Arquivo maior que o permitido");
    case EROFS: return QStringLiteral("Sistema de arquivos somente para leitura");
    case ENOENT: return QStringLiteral("Arquivo ou pasta inexistente");
    case EISDIR: return QStringLiteral("É uma pasta");
    case ENOTDIR: return QStringLiteral("Parte do caminho não é uma pasta");
    case ENAMETOOLONG: return QStringLiteral("Nome de arquivo longo demais");
    case EIO: return QStringLiteral("Erro de entrada e saída");
    case EMFILE:
    case ENFILE: return QStringLiteral("Arquivos abertos demais");
    case ETXTBSY:
    case EBUSY: return QStringLiteral("Arquivo em uso");
    case ELOOP: return QStringLiteral("Ligações simbólicas demais");
    default:
        return QStringLiteral("Erro do sistema %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

bool TestFileLoss::any() const
{
    return cells || headerFields[0] || headerFields[1] || headerFields[2] || headerFields[3];
}

QString TestFileLoss::message() const
{
    QStringList where;
    for (int i = 0; i < 4; ++i)
        if (headerFields[size_t(i)])
            where << QString::fromUtf8(kFieldNames[i]);
    if (cells)
        where << QStringLiteral("Testes");
    if (where.isEmpty())
        return {};
    return QStringLiteral("O arquivo foi gravado, mas alguns caracteres não cabem na codificação do arquivo "
                          "e foram gravados como \"?\" em: %1.")
        .arg(where.join(QStringLiteral(", ")));
}

QByteArray encodeTestFile(const TestHeader &header, const ViewerTable &table, TestFileLoss *loss)
{
    TestFileLoss lost;
    QByteArray out;
    const int rows = table.rowCount();
    out.reserve(256 + qsizetype(rows) * 64);
    out.append("\r\n\r\n[TESTE=]\r\n");
    for (int f = 0; f < 4; ++f) {
        out.append("[CAB");
        out.append(char('1' + f));
        out.append('=');
        lost.headerFields[size_t(f)] = appendText(oneLine(header[size_t(f)]), out, false);
        out.append("]\r\n");
    }
    for (int r = 1; r < rows; ++r) {
        out.append("{R");
        appendDecimal(out, r);
        out.append('-');
        const ViewerTable::Row *cells = table.row(r);
        for (int c = int(RecordColumn::Hora); c < RecordColumnCount; ++c) {
            if (cells && appendText((*cells)[size_t(c)], out, true))
                lost.cells = true;
            out.append('\t');
        }
        out.append("}\r\n");
    }
    if (loss)
        *loss = lost;
    return out;
}

TestFileLoss saveTestFile(const QString &path, const TestHeader &header, const ViewerTable &table)
{
    TestFileLoss loss;
    const QByteArray bytes = encodeTestFile(header, table, &loss);

    if (QFileInfo(path).isDir())
        fail("gravar", path, fileErrorCause(EISDIR));
    // Unbuffered: every byte goes through the checked write below, so a full
    // disk cannot hide in a final flush that the commit does not check.
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail("gravar", path, causeOf(errno, file.error()));
    errno = 0;
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || file.error() != QFileDevice::NoError) {
        const int error = errno;
        const QFileDevice::FileError kind = file.error();
        file.cancelWriting();
        fail("gravar", path, causeOf(error, kind == QFileDevice::NoError ? QFileDevice::WriteError : kind));
    }
    // A disk that fills up may only say so when the data reaches it; the
    // commit would ignore a failed sync, so the sync is checked here.
    if (::fsync(file.handle()) != 0) {
        const int error = errno;
        file.cancelWriting();
        fail("gravar", path, fileErrorCause(error));
    }
    errno = 0;
    if (!file.commit())
        fail("gravar", path, causeOf(errno, file.error()));
    return loss;
}

std::optional<QByteArray> readTestFileBytes(const QString &path)
{
    RegularFileRead file = readRegularFile(path, MaxTestFileBytes);
    switch (file.outcome) {
    case RegularFileRead::Outcome::Read: return std::move(file.bytes);
    case RegularFileRead::Outcome::SystemError:
        if (file.error == ENOENT)
            return std::nullopt;
        fail("abrir", path, fileErrorCause(file.error));
    case RegularFileRead::Outcome::NotRegular:
        fail("abrir", path, QStringLiteral("Não é um arquivo comum, é %1").arg(file.kind));
    case RegularFileRead::Outcome::TooLarge:
        fail("abrir", path,
             QStringLiteral("Arquivo maior que %1, o limite de um arquivo de teste")
                 .arg(byteLimitText(MaxTestFileBytes)));
    }
    return std::nullopt;
}

bool loadTestFile(const QString &path, ViewerSink &viewer, SharedState &state)
{
    const std::optional<QByteArray> bytes = readTestFileBytes(path);
    if (!bytes)
        return false;
    readTestFile(*bytes, viewer, state);
    return true;
}

void readTestFile(QByteArrayView bytes, ViewerSink &viewer, SharedState &state)
{
    const char *const data = bytes.data();
    size_t end = size_t(bytes.size());
    if (const void *eof = end ? std::memchr(data, 26, end) : nullptr)
        end = size_t(static_cast<const char *>(eof) - data);

    // Without any LF the lines can only be ended by CR alone.
    const bool crEndsLines = end && !std::memchr(data, '\n', end) && std::memchr(data, '\r', end);
    const char lineEnd = crEndsLines ? '\r' : '\n';

    int testNumber = 0;
    std::string scratch; // a line without its CRs, when it has any
    size_t pos = 0;
    int lineNumber = 0;
    while (pos < end) {
        const void *lf = std::memchr(data + pos, lineEnd, end - pos);
        const size_t lineEnd = lf ? size_t(static_cast<const char *>(lf) - data) : end;
        View line(data + pos, lineEnd - pos);
        pos = lf ? lineEnd + 1 : end;
        if (++lineNumber <= 2)
            continue; // the two leading lines are skipped unread
        if (line.find('\r') != View::npos) {
            scratch.clear();
            for (char c : line)
                if (c != '\r')
                    scratch += c;
            line = scratch;
        }

        // Each tag that matches narrows the working text to its value.
        View w = line;
        if (contains(w, "<SET="))
            w = between(w, '=', '>');
        if (contains(w, "[TESTE=")) {
            w = between(w, '=', ']');
            testNumber = textToInt(bytesOf(w)).value_or(0);
        }
        static constexpr View cab[4] = {"[CAB1=", "[CAB2=", "[CAB3=", "[CAB4="};
        for (int f = 0; f < 4; ++f) {
            if (contains(w, cab[f])) {
                w = between(w, '=', ']');
                viewer.setHeaderField(f + 1, windows1252::decode(bytesOf(trimmed(w))));
            }
        }
        if (contains(w, "{R")) {
            // A failure inside one record keeps what was placed and goes on
            // with the next line.
            try {
                readRecord(w, viewer, state);
            } catch (const std::exception &e) {
                qWarning("test file line %d dropped: %s", lineNumber, e.what());
            }
        }
    }

    viewer.appendViewerCaption(QStringLiteral(" - %1 Registros").arg(state.viewerRecordCount));
    viewer.setViewerRecordCount(state.viewerRecordCount);
    state.testCount = testNumber;
}
