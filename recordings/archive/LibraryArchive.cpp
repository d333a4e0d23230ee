#include "recordings/archive/LibraryArchive.h"

#include "recordings/library/LibraryArchiver.h"
#include "recordings/library/LibraryStore.h"

namespace {

RecordRow row(const RecordTexts &texts)
{
    RecordRow out;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = texts.value(qsizetype(i));
    return out;
}

RecordTexts texts(const std::optional<RecordRow> &row)
{
    RecordTexts out;
    if (row)
        for (const QString &t : *row)
            out << t;
    return out;
}

TestState state(DownloadEnd how)
{
    switch (how) {
    case DownloadEnd::Complete: return TestState::Complete;
    case DownloadEnd::Incomplete: return TestState::Incomplete;
    case DownloadEnd::Interrupted: break;
    }
    return TestState::Interrupted;
}

class Archived : public ArchivedDownload {
public:
    Archived(LibraryStore &store, ViewerSink &shown, const std::function<void(const QString &)> &failed)
        : archiver(store, shown)
    {
        archiver.failed = failed;
    }
    ViewerSink &sink() override { return archiver; }
    void end(DownloadEnd how) override { archiver.finish(state(how)); }

    LibraryArchiver archiver;
};

// The library with its own store, for the command line.
class OwnedArchive : public LibraryArchive {
public:
    explicit OwnedArchive(std::unique_ptr<LibraryStore> owned) : LibraryArchive(*owned), owned(std::move(owned)) {}

private:
    std::unique_ptr<LibraryStore> owned;
};

} // namespace

bool LibraryArchive::holdsComplete(const MeterTest &test)
{
    try {
        const std::optional<FoundTest> found =
            store.findMeterTest(test.number, test.recordCount, row(test.first), row(test.last));
        return found && found->state == TestState::Complete;
    } catch (const LibraryError &e) {
        lastProblem = e.message();
        return false; // not known kept: downloaded again, or warned about before an erase
    }
}

std::unique_ptr<ArchivedDownload> LibraryArchive::beginDownload(const DownloadOrigin &origin, ViewerSink &shown)
{
    auto archived = std::make_unique<Archived>(store, shown, failed);
    try {
        archived->archiver.begin(
            TestOrigin::meter(origin.portName, origin.testNumber, origin.recordCount, origin.moment));
    } catch (const LibraryError &e) {
        lastProblem = e.message();
        return nullptr;
    }
    return archived;
}

std::optional<InterruptedTest> LibraryArchive::interruptedTest(qint64 id)
{
    std::optional<TestInfo> info;
    try {
        info = store.info(id);
    } catch (const LibraryError &e) {
        lastProblem = e.message();
        return std::nullopt;
    }
    if (!info || info->state != TestState::Interrupted || info->origin.kind != TestOrigin::Kind::Meter)
        return std::nullopt;
    const TestOrigin &o = info->origin;
    return InterruptedTest{id,
                           {o.port, o.meterTestNumber, o.meterRecordCount, o.moment},
                           info->lastRow,
                           texts(info->firstRecord),
                           texts(info->lastRecord)};
}

std::unique_ptr<ArchivedDownload> LibraryArchive::continueDownload(qint64 id, ViewerSink &shown)
{
    auto archived = std::make_unique<Archived>(store, shown, failed);
    try {
        if (archived->archiver.continueTest(id))
            return archived;
    } catch (const LibraryError &e) {
        lastProblem = e.message();
    }
    return nullptr;
}

std::optional<qint64> LibraryArchive::lastInterrupted()
{
    LibraryQuery newestFirst;
    newestFirst.order = LibraryOrder::Start;
    newestFirst.descending = true;
    try {
        for (const TestInfo &t : store.tests(newestFirst))
            if (t.state == TestState::Interrupted && t.origin.kind == TestOrigin::Kind::Meter)
                return t.id;
    } catch (const LibraryError &e) {
        lastProblem = e.message();
    }
    return std::nullopt;
}

std::unique_ptr<LibraryArchive> openLibraryArchive(QString &problem)
{
    try {
        auto store = std::make_unique<LibraryStore>(libraryFilePath());
        problem = store->notice();
        return std::make_unique<OwnedArchive>(std::move(store));
    } catch (const LibraryError &e) {
        problem = e.message();
        return nullptr;
    }
}
