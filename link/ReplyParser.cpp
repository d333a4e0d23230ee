#include "link/ReplyParser.h"

#include "core/HeatIndex.h"
#include "core/NumberText.h"

namespace {

constexpr char LF = 10;
constexpr char CR = 13;
constexpr char SOH = 1;

QByteArrayView toView(const std::string &field) { return QByteArrayView(field.data(), qsizetype(field.size())); }
QLatin1StringView text(const std::string &field) { return QLatin1StringView(field.data(), qsizetype(field.size())); }

} // namespace

// A value of the maximum or minimum frame: the text goes to its label as it
// came, with the unit of the frame's letter.
void ReplyParser::maxMinValue(char ch, char separator, int label, int32_t next)
{
    const bool ends = separator == LF ? ch == LF : (ch == separator || ch == separator + ('a' - 'A'));
    if (!ends) {
        s.replyField.push_back(ch);
        return;
    }
    // The field's bytes, the degree sign and the unit letter, in one piece.
    const QByteArrayView field = trimField(toView(s.replyField));
    QString shown(field.size() + 2, Qt::Uninitialized);
    QChar *out = shown.data();
    for (char c : field)
        *out++ = QChar(uchar(c));
    *out++ = QChar(0xB0);
    *out = QChar(s.fahrenheitUnit == 1 ? 'F' : 'C');
    sink.setMaxMinLabel(label, shown);
    if (separator != LF) {
        s.replyState = next;
        s.replyField.clear();
    }
}

// Writes one stored value into the viewer and the chart. False when its text
// is not a number: the variable keeps its value and no point is added.
bool ReplyParser::recordValue(int column, long double &target, int series)
{
    sink.setViewerCell(s.recordIndex + 1, column, text(s.replyField));
    const auto v = textToNumber(toView(s.replyField));
    if (!v)
        return false;
    target = *v;
    sink.addChartPoint(series, double(s.recordIndex), double(target));
    return true;
}

void ReplyParser::indexStep()
{
    const int row = s.recordIndex + 1;
    GeneralText buffer;
    sink.setViewerCell(row, 5, formatGeneral(indoorIndex(s.recordWet, s.recordGlobe), buffer));
    sink.setViewerCell(row, 6, formatGeneral(outdoorIndex(s.recordWet, s.recordGlobe, s.recordDry), buffer));
}

void ReplyParser::feed(char ch)
{
    step(ch);
}

void ReplyParser::feed(QByteArrayView bytes)
{
    for (char c : bytes)
        step(c);
}

inline void ReplyParser::step(char ch)
{
    if (ch == LF)
        s.readyToSend = true;

    // States that mark "Comma" read periods as decimal commas.
    auto comma = [&ch] {
        if (ch == '.')
            ch = ',';
    };
    bool lfEnds = true;

    switch (s.replyState) {
    case Idle:
        if (ch == ':')
            s.replyState = Letter;
        s.replyField.clear();
        lfEnds = false;
        break;

    case Letter:
        lfEnds = false;
        switch (ch) {
        case 'W': s.replyState = 100; s.fahrenheitUnit = 0; break;
        case 'w': s.replyState = 100; s.fahrenheitUnit = 1; break;
        case 'G': s.replyState = 110; s.fahrenheitUnit = 0; break;
        case 'g': s.replyState = 110; s.fahrenheitUnit = 1; break;
        case 'B': s.replyState = 120; s.fahrenheitUnit = 0; break;
        case 'b': s.replyState = 120; s.fahrenheitUnit = 1; break;
        case 'U': s.replyState = 30; break;
        case 'T': s.replyState = 200; break;
        case 'I': s.replyState = 300; break;
        case 'R': s.replyState = 400; break;
        case 'i': case 'r': case 't': s.replyState = 500; break;
        case 'u': s.replyState = 600; break;
        case 'H': s.replyState = 700; break;
        case 'X': s.replyState = 800; break;
        case 'Z': case 'c': case 'z': s.replyState = 900; break;
        case 'A': s.replyState = 1000; break;
        case 'F': s.replyState = 2000; break;
        default: s.replyState = Idle; break;
        }
        break;

    case 30:
        sink.setStatusText(2, QStringLiteral("Parâmetro ajustado..."));
        break;

    case 100:
        comma();
        if (ch == 'D' || ch == 'd') {
            s.wetReading = textToNumber(trimField(toView(s.replyField))).value_or(0.0L);
            s.replyState = 101;
            s.replyField.clear();
            if (sink.calibrationDialogVisible())
                sink.setCalibrationReading(2, formatGeneral(s.wetReading));
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 101:
        comma();
        if (ch == 'G' || ch == 'g') {
            s.dryReading = textToNumber(trimField(toView(s.replyField))).value_or(0.0L);
            s.replyState = 102;
            s.replyField.clear();
            if (sink.calibrationDialogVisible())
                sink.setCalibrationReading(4, formatGeneral(s.dryReading));
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 102:
        comma();
        if (ch == LF) {
            s.globeReading = textToNumber(trimField(toView(s.replyField))).value_or(0.0L);
            if (sink.calibrationDialogVisible())
                sink.setCalibrationReading(6, formatGeneral(s.globeReading));
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case 110: comma(); maxMinValue(ch, 'D', 6, 111); break;
    case 111: comma(); maxMinValue(ch, 'G', 8, 112); break;
    case 112: comma(); maxMinValue(ch, LF, 10, 0); break;
    case 120: comma(); maxMinValue(ch, 'D', 7, 121); break;
    case 121: comma(); maxMinValue(ch, 'G', 9, 122); break;
    case 122: comma(); maxMinValue(ch, LF, 11, 0); break;

    case 200:
        if (ch == LF) {
            s.testCount = textToInt(trimField(toView(s.replyField))).value_or(0);
            s.testIndex = 0;
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case 300:
        if (ch == '+') {
            sink.checkSampleUnit(s.replyField == "0");
            s.replyField.clear();
        } else if (ch == LF) {
            if (const auto v = textToInt(trimField(toView(s.replyField))))
                sink.setSampleInterval(QString::number(*v));
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case 400:
        if (ch == LF)
            s.recordCount = textToInt(trimField(toView(s.replyField))).value_or(0);
        else
            s.replyField.push_back(ch);
        break;

    case 500: case 600: case 800: case 900:
        s.replyField.push_back(ch); // read and dropped
        break;

    case 700:
        s.replyField.push_back(ch);
        lfEnds = false;
        if (ch == LF) {
            s.replyState = Idle;
            sink.showMessage(QStringLiteral("Relógio ajustado."), QStringLiteral("Aviso"));
        }
        break;

    case 1000:
        lfEnds = false;
        if (ch == '[') {
            s.replyState = 1001;
            s.replyField.clear();
        }
        break;
    case 1001:
        if (ch == ']') {
            sink.setViewerCell(s.recordIndex + 1, 0, text(s.replyField));
            s.replyState = 1002;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 1002:
    case 1003:
        if (ch == ' ') {
            sink.setViewerCell(s.recordIndex + 1, s.replyState == 1002 ? 7 : 1, text(s.replyField));
            s.replyState += 1;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 1004: case 1006: case 1008:
        lfEnds = false;
        if (ch == '=') {
            s.replyState += 1;
            s.replyField.clear();
        }
        break;
    case 1005:
        comma();
        if (ch == SOH) {
            recordValue(2, s.recordWet, 0);
            s.replyState = 1006;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 1007:
        comma();
        if (ch == SOH) {
            recordValue(3, s.recordDry, 1);
            s.replyState = 1008;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 1009:
        comma();
        if (ch == SOH) {
            if (recordValue(4, s.recordGlobe, 2))
                indexStep();
            s.replyState = 1010;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case 1010:
        lfEnds = false;
        if (ch == 'C') {
            s.replyState = Idle;
            s.recordIndex += 1;
            s.readyToSend = true;
            sink.setViewerRecordCount(s.recordIndex);
            s.viewerRecordCount = s.recordIndex;
        }
        break;

    case 2000:
        if (ch == 'T') {
            s.replyField.clear();
        } else if (ch == 'L') {
            if (const auto v = textToInt(toView(s.replyField)))
                sink.setMemoryMaximum(*v);
            s.replyField.clear();
        } else if (ch == CR) {
            if (const auto v = textToInt(toView(s.replyField)))
                sink.setMemoryPosition(*v);
        } else {
            s.replyField.push_back(ch);
        }
        break;

    default:
        // A state no table knows (set from outside): nothing but the line end.
        break;
    }

    if (lfEnds && ch == LF)
        s.replyState = Idle;
}
