#include "control/MeterSession.h"

#include "control/Session.h"

MeterSession::MeterSession(SharedState &state, MeterView &view, WindowSlots &windows,
                           std::shared_ptr<ComPlatform> platform)
    : s(state)
    , view(view)
    , comPort(nullptr, std::move(platform))
    , portSelection(state, comPort, *this)
    , replyParser(state, view, windows)
    , pollScheduler(state, *this, portSelection, windows.viewer)
{
    comPort.Gathering().ends = QByteArray(ReplyParser::frameEnds);
    comTerminal.setComPort(&comPort);
    comTerminal.OnChars = [this](QObject *, QByteArrayView bytes) { received(bytes); };
    timer1.setInterval(PollScheduler::IntervalAtStart);
    timer2.setInterval(100);
    QObject::connect(&timer1, &QTimer::timeout, &timer1, [this] { this->view.runTimerWork([this] { tick(); }); });
    QObject::connect(&timer2, &QTimer::timeout, &timer2, [this] { this->view.runTimerWork([this] { searchStep(); }); });
}

MeterSession::~MeterSession()
{
    comTerminal.OnChars = nullptr;
}

void MeterSession::start(int portNumber)
{
    startSession(s, view, *this, portSelection, portNumber);
    timer1.start();
}

void MeterSession::stop() noexcept
{
    timer1.stop();
    timer2.stop();
    portSelection.closeAtExit();
}

void MeterSession::tick()
{
    pollScheduler.Timer1Timer();
}

void MeterSession::searchStep()
{
    portSelection.Timer2Timer();
}

void MeterSession::received(QByteArrayView bytes)
{
    pollScheduler.received(replyParser, bytes);
}

void MeterSession::setPollInterval(int milliseconds)
{
    if (timer1.interval() != milliseconds)
        timer1.setInterval(milliseconds);
}

void MeterSession::setSearchTimerEnabled(bool enabled)
{
    if (enabled)
        timer2.start();
    else
        timer2.stop();
}
