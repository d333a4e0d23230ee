#include "link/ReplyParser.h"

#include "core/HeatIndex.h"
#include "core/MeterReplyTexts.h"
#include "core/NumberText.h"
#include "link/ReplyTurn.h"

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

// A field of the maximum or minimum frame, up to its separator (either case).
void ReplyParser::maxMinValue(char ch, char separator, State next)
{
    if (ch != separator && ch != separator + ('a' - 'A')) {
        s.replyField.push_back(ch);
        return;
    }
    holdMaxMin();
    s.replyState = next;
    s.replyField.clear();
}

// The field's text, as it came, with the unit of the frame's letter, held
// for its label.
void ReplyParser::holdMaxMin()
{
    const QByteArrayView field = trimField(toView(s.replyField));
    QString shown(field.size() + 2, Qt::Uninitialized);
    QChar *out = shown.data();
    for (char c : field)
        *out++ = QChar(uchar(c));
    *out++ = QChar(0xB0);
    *out = QChar(frameFahrenheit ? 'F' : 'C');
    if (held.maxMinRead < 3)
        held.maxMin[held.maxMinRead++] = shown;
}

void ReplyParser::writeMaxMin()
{
    // Maxima fill the upper labels (6, 8, 10), minima the lower (7, 9, 11).
    static constexpr MaxMinLabel maxima[3] = {MaxMinLabel::WetMax, MaxMinLabel::DryMax, MaxMinLabel::GlobeMax};
    static constexpr MaxMinLabel minima[3] = {MaxMinLabel::WetMin, MaxMinLabel::DryMin, MaxMinLabel::GlobeMin};
    const bool isMaxima = s.replyState >= MaxWet && s.replyState <= MaxGlobe;
    for (int i = 0; i < held.maxMinRead; ++i)
        mainWindow.setMaxMinLabel(isMaxima ? maxima[i] : minima[i], held.maxMin[i]);
}

void ReplyParser::writeLive()
{
    long double *readings[3] = {&s.wetReading, &s.dryReading, &s.globeReading};
    CalibrationSink &dialog = windows.calibration.get();
    for (int i = 0; i < held.liveRead; ++i) {
        *readings[i] = held.live[i];
        // The reading fields of the calibration dialog, while it is open and shown.
        if (dialog.calibrationDialogVisible())
            dialog.setCalibrationReading(2 + 2 * i, formatGeneral(held.live[i]));
    }
}

// Writes one stored value into the viewer and the chart. False when its text
// is not a number: the variable keeps its value and no point is added.
bool ReplyParser::recordValue(RecordColumn column, const std::string &field, long double &target)
{
    ViewerSink &viewer = windows.viewer.get();
    viewer.setViewerCell(s.recordIndex + 1, column, text(field));
    const auto v = reading(toView(field));
    if (!v)
        return false;
    target = *v;
    viewer.addChartPoint(chartSeries(column), double(s.recordIndex), double(target));
    return true;
}

void ReplyParser::indexStep()
{
    const int row = s.recordIndex + 1;
    GeneralText buffer;
    ViewerSink &viewer = windows.viewer.get();
    viewer.setViewerCell(row, RecordColumn::IbutgI, formatGeneral(indoorIndex(s.recordWet, s.recordGlobe), buffer));
    viewer.setViewerCell(row, RecordColumn::IbutgE,
                         formatGeneral(outdoorIndex(s.recordWet, s.recordGlobe, s.recordDry), buffer));
}

void ReplyParser::holdRecordField(int index, State next)
{
    held.record[index] = s.replyField;
    s.replyState = next;
    s.replyField.clear();
}

// A whole stored record into the next row of the viewer, its cells in the
// order the meter sends them, then its three points and the new count.
void ReplyParser::writeRecord()
{
    const int row = s.recordIndex + 1;
    ViewerSink &viewer = windows.viewer.get();
    viewer.setViewerCell(row, RecordColumn::Registro, text(held.record[0]));
    viewer.setViewerCell(row, RecordColumn::Data, text(held.record[1]));
    viewer.setViewerCell(row, RecordColumn::Hora, text(held.record[2]));
    recordValue(RecordColumn::Umi, held.record[3], s.recordWet);
    recordValue(RecordColumn::Sec, held.record[4], s.recordDry);
    if (recordValue(RecordColumn::Glo, held.record[5], s.recordGlobe))
        indexStep();

    // The meter numbers its records upwards; one that is not above the one
    // before was sent twice or out of order, and the download is then not
    // what the meter holds.
    const std::optional<int32_t> number = textToInt(trimField(toView(held.record[0])));
    if (number && s.lastRegisterNumber >= 0 && *number <= s.lastRegisterNumber)
        s.recordsOutOfOrder += 1;
    s.lastRegisterNumber = number ? *number : -1;

    s.recordIndex += 1;
    viewer.setViewerRecordCount(s.recordIndex);
    s.viewerRecordCount = s.recordIndex;
}

bool ReplyParser::replyComplete()
{
    const bool wanted = !s.replyDiscarded;
    freeLine(s);
    return wanted;
}

void ReplyParser::dropFrame()
{
    ++dropped;
    s.replyState = Idle;
    s.replyField.clear();
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

// The reply letter: read on only when the frame answers the request on the
// line; the case of a live-value letter gives the unit.
void ReplyParser::letter(char ch)
{
    State next = Idle;
    switch (ch) {
    case 'W':
    case 'w': next = LiveWet; break;
    case 'G':
    case 'g': next = MaxWet; break;
    case 'B':
    case 'b': next = MinWet; break;
    case 'U': next = UnitSet; break;
    case 'T': next = TestCount; break;
    case 'I': next = SampleRate; break;
    case 'R': next = RecordCount; break;
    case 'i':
    case 'r':
    case 't': next = Acknowledged; break;
    case 'u': next = UnitAcknowledged; break;
    case 'H': next = ClockSet; break;
    case 'X': next = Erased; break;
    case 'Z':
    case 'c':
    case 'z': next = OffsetSet; break;
    case 'A': next = RecordOpen; break;
    case 'F': next = Memory; break;
    default: break;
    }
    if (next == Idle || !answersRequest(s.awaitedReply, ch)) {
        dropFrame();
        return;
    }
    s.replyState = next;
    s.replyField.clear();
    frameFahrenheit = ch == 'w' || ch == 'g' || ch == 'b';
    held = Held();
}

// A line feed: the end of the reply being read, or of a fragment.
void ReplyParser::lineEnd()
{
    const auto field = [this] { return trimField(toView(s.replyField)); };
    switch (s.replyState) {
    case Idle: return;
    case Letter: dropFrame(); return;
    // Skipped inside a stored record.
    case RecordOpen:
    case RecordWetTag:
    case RecordDryTag:
    case RecordGlobeTag:
    case RecordEnd: return;
    // A record's fields never hold a line feed: the record was cut short.
    case RecordNumber:
    case RecordDate:
    case RecordTime:
    case RecordWet:
    case RecordDry:
    case RecordGlobe: dropFrame(); return;
    default: break;
    }

    // The last field of the frames that end with it.
    switch (s.replyState) {
    case LiveGlobe:
        held.live[2] = reading(field()).value_or(0.0L);
        held.liveRead = 3;
        break;
    case MaxGlobe:
    case MinGlobe: holdMaxMin(); break;
    default: break;
    }

    const int32_t frame = s.replyState;
    if (replyComplete()) {
        switch (frame) {
        case UnitSet: mainWindow.setStatusText(StatusPanel::Activity, parameterSetText); break;
        case LiveWet:
        case LiveDry:
        case LiveGlobe:
            s.fahrenheitUnit = frameFahrenheit;
            writeLive();
            break;
        case MaxWet:
        case MaxDry:
        case MaxGlobe:
        case MinWet:
        case MinDry:
        case MinGlobe:
            s.fahrenheitUnit = frameFahrenheit;
            writeMaxMin();
            break;
        case TestCount:
            s.testCount = plausibleCount(field()).value_or(0);
            s.testIndex = 0;
            break;
        case SampleRate:
            if (held.seconds)
                windows.sampleRate.get().checkSampleUnit(*held.seconds);
            if (const auto v = textToInt(field()))
                windows.sampleRate.get().setSampleInterval(QString::number(*v));
            break;
        case RecordCount: s.recordCount = plausibleCount(field()).value_or(0); break;
        case ClockSet: mainWindow.showMessage(clockSetText, noticeCaption); break;
        case Memory:
            if (held.memoryTotal)
                mainWindow.setMemoryMaximum(*held.memoryTotal);
            if (held.memoryFree)
                mainWindow.setMemoryPosition(*held.memoryFree);
            break;
        default: break; // read and dropped: "i", "r", "t", "u", "X", "Z", "c", "z"
        }
    }
    s.replyState = Idle;
    s.replyField.clear();
}

inline void ReplyParser::step(char ch)
{
    // States that mark "Comma" read periods as decimal commas.
    auto comma = [&ch] {
        if (ch == '.')
            ch = ',';
    };

    // The states that skip up to one character are left by a new reply: a
    // ':' at the start of a line, or any ':' before a record's '['.
    if (ch == ':') {
        const bool skipping = s.replyState == RecordWetTag || s.replyState == RecordDryTag ||
                              s.replyState == RecordGlobeTag || s.replyState == RecordEnd;
        if (s.replyState == RecordOpen || (skipping && lineStart)) {
            ++dropped; // the record it leaves
            s.replyState = Letter;
            s.replyField.clear();
            lineStart = false;
            return;
        }
    }
    lineStart = ch == LF;
    if (ch == LF) {
        lineEnd();
        return;
    }

    switch (s.replyState) {
    case Idle:
        if (ch == ':')
            s.replyState = Letter;
        s.replyField.clear();
        break;

    case Letter: letter(ch); break;

    case LiveWet:
    case LiveDry:
        comma();
        if ((s.replyState == LiveWet && (ch == 'D' || ch == 'd')) ||
            (s.replyState == LiveDry && (ch == 'G' || ch == 'g'))) {
            held.live[held.liveRead++] = reading(trimField(toView(s.replyField))).value_or(0.0L);
            s.replyState += 1;
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case MaxWet:
    case MinWet:
        comma();
        maxMinValue(ch, 'D', State(s.replyState + 1));
        break;
    case MaxDry:
    case MinDry:
        comma();
        maxMinValue(ch, 'G', State(s.replyState + 1));
        break;

    case SampleRate:
        if (ch == '+') {
            held.seconds = s.replyField == "0";
            s.replyField.clear();
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case Memory:
        if (ch == 'T') {
            s.replyField.clear();
        } else if (ch == 'L') {
            held.memoryTotal = textToInt(toView(s.replyField));
            s.replyField.clear();
        } else if (ch == CR) {
            held.memoryFree = textToInt(toView(s.replyField));
        } else {
            s.replyField.push_back(ch);
        }
        break;

    case RecordOpen:
        if (ch == '[') {
            s.replyState = RecordNumber;
            s.replyField.clear();
        }
        break;
    case RecordNumber:
        if (ch == ']')
            holdRecordField(0, RecordDate);
        else
            s.replyField.push_back(ch);
        break;
    case RecordDate:
    case RecordTime:
        if (ch == ' ')
            holdRecordField(s.replyState == RecordDate ? 1 : 2, State(s.replyState + 1));
        else
            s.replyField.push_back(ch);
        break;
    case RecordWetTag:
    case RecordDryTag:
    case RecordGlobeTag:
        if (ch == '=') {
            s.replyState += 1; // the value after its tag
            s.replyField.clear();
        }
        break;
    case RecordWet:
    case RecordDry:
    case RecordGlobe:
        comma();
        if (ch == SOH) {
            const int index = 3 + (s.replyState - RecordWet) / 2;
            holdRecordField(index, State(s.replyState == RecordGlobe ? RecordEnd : s.replyState + 1));
        } else {
            s.replyField.push_back(ch);
        }
        break;
    case RecordEnd:
        if (ch == 'C') {
            if (replyComplete())
                writeRecord();
            s.replyState = Idle;
        }
        break;

    case MaxGlobe:
    case MinGlobe:
    case LiveGlobe:
        comma();
        s.replyField.push_back(ch);
        break;

    case UnitSet:
    case TestCount:
    case RecordCount:
    case Acknowledged:
    case UnitAcknowledged:
    case ClockSet:
    case Erased:
    case OffsetSet: s.replyField.push_back(ch); break;

    default:
        // A state no table knows (set from outside): nothing but the line end.
        break;
    }

    if (s.replyField.size() > fieldLimit)
        dropFrame(); // not a reply: skip to the next ':'
}
