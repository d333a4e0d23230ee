#include "link/ReplyParser.h"

#include "core/HeatIndex.h"
#include "core/MeterReplyTexts.h"
#include "core/NumberText.h"

#include <cmath>
#include <limits>

namespace {

constexpr char LF = 10;
constexpr char CR = 13;
constexpr char SOH = 1;

QByteArrayView toView(const std::string &field)
{
    return QByteArrayView(field.data(), qsizetype(field.size()));
}
QLatin1StringView text(const std::string &field)
{
    return QLatin1StringView(field.data(), qsizetype(field.size()));
}

// A temperature as the displays can take it: a number within the range of a
// double (the gauges and the chart hold doubles), else malformed.
std::optional<long double> reading(QByteArrayView field)
{
    const auto v = textToNumber(field);
    if (v && std::fabs(*v) <= std::numeric_limits<double>::max())
        return v;
    return std::nullopt;
}

// A count of stored tests or records: malformed unless 0..countLimit.
std::optional<int32_t> plausibleCount(QByteArrayView field)
{
    const auto v = textToInt(field);
    if (v && *v >= 0 && *v <= ReplyParser::countLimit)
        return v;
    return std::nullopt;
}

} // namespace

// A value of the maximum or minimum frame: the text goes to its label as it
// came, with the unit of the frame's letter.
void ReplyParser::maxMinValue(char ch, char separator, MaxMinLabel label, State next)
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
    mainWindow.setMaxMinLabel(label, shown);
    if (separator != LF) {
        s.replyState = next;
        s.replyField.clear();
    }
}

// Writes one stored value into the viewer and the chart. False when its text
// is not a number: the variable keeps its value and no point is added.
bool ReplyParser::recordValue(int column, long double &target, int series)
{
    ViewerSink &viewer = windows.viewer.get();
    viewer.setViewerCell(s.recordIndex + 1, column, text(s.replyField));
    const auto v = reading(toView(s.replyField));
    if (!v)
        return false;
    target = *v;
    viewer.addChartPoint(series, double(s.recordIndex), double(target));
    return true;
}

void ReplyParser::indexStep()
{
    const int row = s.recordIndex + 1;
    GeneralText buffer;
    ViewerSink &viewer = windows.viewer.get();
    viewer.setViewerCell(row, 5, formatGeneral(indoorIndex(s.recordWet, s.recordGlobe), buffer));
    viewer.setViewerCell(row, 6, formatGeneral(outdoorIndex(s.recordWet, s.recordGlobe, s.recordDry), buffer));
}

// A live value into its reading field of the calibration dialog, while the
// dialog is open and shown.
void ReplyParser::calibrationReading(int editNumber, long double value)
{
    CalibrationSink &dialog = windows.calibration.get();
    if (dialog.calibrationDialogVisible())
        dialog.setCalibrationReading(editNumber, formatGeneral(value));
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

    // The states that skip up to one character are left by a new reply: a
    // ':' at the start of a line, or any ':' before a record's '['.
    if (ch == ':') {
        const bool skipping = s.replyState == RecordWetTag || s.replyState == RecordDryTag ||
                              s.replyState == RecordGlobeTag || s.replyState == RecordEnd;
        if (s.replyState == RecordOpen || (skipping && lineStart)) {
            s.replyState = Letter;
            s.replyField.clear();
            lineStart = false;
            return;
        }
    }
    lineStart = ch == LF;

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
        // The case of a live-value letter gives the unit: upper °C, lower °F.
        case 'W':
        case 'w':
            s.replyState = LiveWet;
            s.fahrenheitUnit = ch == 'w';
            break;
        case 'G':
        case 'g':
            s.replyState = MaxWet;
            s.fahrenheitUnit = ch == 'g';
            break;
        case 'B':
        case 'b':
            s.replyState = MinWet;
            s.fahrenheitUnit = ch == 'b';
            break;
        case 'U': s.replyState = UnitSet; break;
        case 'T': s.replyState = TestCount; break;
        case 'I': s.replyState = SampleRate; break;
        case 'R': s.replyState = RecordCount; break;
        case 'i':
        case 'r':
        case 't': s.replyState = Acknowledged; break;
        case 'u': s.replyState = UnitAcknowledged; break;
        case 'H': s.replyState = ClockSet; break;
        case 'X': s.replyState = Erased; break;
        case 'Z':
        case 'c':
        case 'z': s.replyState = OffsetSet; break;
        case 'A': s.replyState = RecordOpen; break;
        case 'F': s.replyState = Memory; break;
        default: s.replyState = Idle; break;
        }
        break;

    case UnitSet: mainWindow.setStatusText(StatusPanel::Activity, parameterSetText); break;

    case LiveWet:
        comma();
        if (ch == 'D' || ch == 'd') {
            s.wetReading = reading(trimField(toView(s.replyField))).value_or(0.0L);
            s.replyState = LiveDry;
            s.replyField.clear();
            calibrationReading(2, s.wetReading);
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case LiveDry:
        comma();
        if (ch == 'G' || ch == 'g') {
            s.dryReading = reading(trimField(toView(s.replyField))).value_or(0.0L);
            s.replyState = LiveGlobe;
            s.replyField.clear();
            calibrationReading(4, s.dryReading);
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case LiveGlobe:
        comma();
        if (ch == LF) {
            s.globeReading = reading(trimField(toView(s.replyField))).value_or(0.0L);
            calibrationReading(6, s.globeReading);
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case MaxWet:
        comma();
        maxMinValue(ch, 'D', MaxMinLabel::WetMax, MaxDry);
        break;
    case MaxDry:
        comma();
        maxMinValue(ch, 'G', MaxMinLabel::DryMax, MaxGlobe);
        break;
    case MaxGlobe:
        comma();
        maxMinValue(ch, LF, MaxMinLabel::GlobeMax, Idle);
        break;
    case MinWet:
        comma();
        maxMinValue(ch, 'D', MaxMinLabel::WetMin, MinDry);
        break;
    case MinDry:
        comma();
        maxMinValue(ch, 'G', MaxMinLabel::DryMin, MinGlobe);
        break;
    case MinGlobe:
        comma();
        maxMinValue(ch, LF, MaxMinLabel::GlobeMin, Idle);
        break;

    case TestCount:
        if (ch == LF) {
            s.testCount = plausibleCount(trimField(toView(s.replyField))).value_or(0);
            s.testIndex = 0;
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case SampleRate:
        if (ch == '+') {
            windows.sampleRate.get().checkSampleUnit(s.replyField == "0");
            s.replyField.clear();
        } else if (ch == LF) {
            if (const auto v = textToInt(trimField(toView(s.replyField))))
                windows.sampleRate.get().setSampleInterval(QString::number(*v));
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case RecordCount:
        if (ch == LF)
            s.recordCount = plausibleCount(trimField(toView(s.replyField))).value_or(0);
        else
            s.replyField.push_back(ch);
        break;

    case Acknowledged:
    case UnitAcknowledged:
    case Erased:
    case OffsetSet:
        s.replyField.push_back(ch); // read and dropped
        break;

    case ClockSet:
        s.replyField.push_back(ch);
        lfEnds = false;
        if (ch == LF) {
            s.replyState = Idle;
            mainWindow.showMessage(clockSetText, noticeCaption);
        }
        break;

    case RecordOpen:
        lfEnds = false;
        if (ch == '[') {
            s.replyState = RecordNumber;
            s.replyField.clear();
        }
        break;
    case RecordNumber:
        if (ch == ']') {
            windows.viewer.get().setViewerCell(s.recordIndex + 1, 0, text(s.replyField));
            s.replyState = RecordDate;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordDate:
    case RecordTime:
        if (ch == ' ') {
            windows.viewer.get().setViewerCell(s.recordIndex + 1, s.replyState == RecordDate ? 7 : 1,
                                               text(s.replyField));
            s.replyState += 1; // date, then time, then the wet tag
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordWetTag:
    case RecordDryTag:
    case RecordGlobeTag:
        lfEnds = false;
        if (ch == '=') {
            s.replyState += 1; // the value after its tag
            s.replyField.clear();
        }
        break;
    case RecordWet:
        comma();
        if (ch == SOH) {
            recordValue(2, s.recordWet, 0);
            s.replyState = RecordDryTag;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordDry:
        comma();
        if (ch == SOH) {
            recordValue(3, s.recordDry, 1);
            s.replyState = RecordGlobeTag;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordGlobe:
        comma();
        if (ch == SOH) {
            if (recordValue(4, s.recordGlobe, 2))
                indexStep();
            s.replyState = RecordEnd;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordEnd:
        lfEnds = false;
        if (ch == 'C') {
            s.replyState = Idle;
            s.recordIndex += 1;
            s.readyToSend = true;
            windows.viewer.get().setViewerRecordCount(s.recordIndex);
            s.viewerRecordCount = s.recordIndex;
        }
        break;

    case Memory:
        if (ch == 'T') {
            s.replyField.clear();
        } else if (ch == 'L') {
            if (const auto v = textToInt(toView(s.replyField)))
                mainWindow.setMemoryMaximum(*v);
            s.replyField.clear();
        } else if (ch == CR) {
            if (const auto v = textToInt(toView(s.replyField)))
                mainWindow.setMemoryPosition(*v);
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
    if (s.replyField.size() > fieldLimit) {
        s.replyState = Idle; // not a reply: skip to the next ':'
        s.replyField.clear();
    }
}
