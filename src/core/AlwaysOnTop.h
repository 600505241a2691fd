#pragma once

// The windows' always-on-top layer as the commands that open another
// program's window see it. User-interface thread only.
class AlwaysOnTop
{
public:
    virtual ~AlwaysOnTop() = default;

    // Takes the windows out of the always-on-top layer (and unchecks its
    // menu entry) so that a window of another program, such as a property
    // window, can come up above them. Does nothing when they are not on top.
    virtual void leaveTopmost() = 0;
};
