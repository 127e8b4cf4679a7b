// A working pane of the main frame (the source view, the dot editor). Commands and their
// enabling are offered to the pane of the current mode before the frame handles them.
#pragma once

#include "ui/command_rules.h"

class CommandPane {
public:
    virtual ~CommandPane() = default;
    // True when the pane carried the command out.
    virtual bool HandleCommand(int id) = 0;
    // True when the pane answered; `ui` holds the frame's answer on entry.
    virtual bool UpdateCommand(int id, const FrameState& state, CommandUi* ui) = 0;
};
