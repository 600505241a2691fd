#pragma once

#include <QElapsedTimer>

// Lets pending events run during long loops on the user-interface thread
// (adding a folder, loading a playlist, listing an archive).
//
// yield() processes events at most every ~15 ms, so a loop over 100,000 items
// pays almost nothing for staying responsive. Events may change shared state
// (for example the rows of the track list) during a yield: callers re-read
// counts after each call and never keep an index or iterator across it.
class EventPump
{
public:
    // Runs pending events when at least `intervalMs` passed since the last run.
    // Returns true when events were processed.
    static bool yield(int intervalMs = 15);

    // Runs pending events now.
    static void flush();

    // The program is ending (a quit may arrive during any yield): long loops
    // stop at their next yield instead of finishing their work. Cleared when
    // the program starts.
    static void setStopRequested(bool stop);
    static bool stopRequested();

private:
    static QElapsedTimer &timer();
    static bool s_stopRequested;
};
