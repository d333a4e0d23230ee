#pragma once
// A meter played on the scripted serial platform for tests of the session
// without any window: two stored tests of 2 and 3 records, fixed live
// readings, and every request answered as soon as it is written. It notes
// each request and when it came.

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

class FakeComPlatform;

class ScriptedMeter {
public:
    explicit ScriptedMeter(FakeComPlatform &platform);

    QByteArrayList requests;   // without their line end
    QList<qint64> requestedAt; // ms since the meter was made, one per request

private:
    QByteArray reply(const QByteArray &request);
    void answer();

    FakeComPlatform &platform;
    qsizetype read = 0;
    int selected = 0;
    QElapsedTimer clock;
    QTimer poll;
};
