#pragma once

// The short sound that tells the user a command finished (files deleted or
// copied, a playlist saved). User-interface thread only; never fails (a
// desktop without sound stays silent).
class Beeper
{
public:
    virtual ~Beeper() = default;

    virtual void beep() = 0;
};
