// When a command is enabled and when it carries a check mark, judged from the frame's
// state. The frame applies these after every change of state; the current pane may answer
// first for the commands it owns (see CommandPane).
#pragma once

#include "ui/command_ids.h"

struct FrameState {
    bool hasOutput = false;      // the output panel holds an output image
    int mode = cmd::kAreaSelect; // cmd::kAreaSelect or cmd::kDotEdit
    bool undoAvailable = false;  // the output panel has a step to undo
    bool toolBarShown = true;
    bool statusBarShown = true;
    int resampling = 0; // the document's ResamplingChoice
    int liveFit = 0;    // cmd::kFitJSky or cmd::kFitEZweb while the live fit is on, else 0
};

struct CommandUi {
    bool enabled = true;
    bool checked = false;
};

// True for the commands whose menu items and buttons can show a check mark.
bool MayCarryCheckMark(int id);

// The frame's own answer, used when the current pane does not answer.
CommandUi EvaluateFrameCommand(int id, const FrameState& state);
