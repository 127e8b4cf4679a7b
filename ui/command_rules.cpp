#include "ui/command_rules.h"

bool MayCarryCheckMark(int id) {
    using namespace cmd;
    switch (id) {
    case kAreaSelect:
    case kDotEdit:
    case kAspectLock:
    case kPen:
    case kFill:
    case kHand:
    case kEyedropper:
    case kPenSize1:
    case kPenSize3:
    case kPenSize5:
    case kZoom3:
    case kZoom6:
    case kZoom9:
    case kTolerance0:
    case kTolerance5:
    case kTolerance20:
    case kTolerance50:
    case kToolBar:
    case kStatusBar:
    case kFitJSky:
    case kFitEZweb:
    case kResampleAuto:
    case kResampleClassic:
    case kResampleArea:
    case kResampleLanczos:
        return true;
    default:
        return false;
    }
}

CommandUi EvaluateFrameCommand(int id, const FrameState& state) {
    using namespace cmd;
    CommandUi ui;
    switch (id) {
    case kSave:
    case kSizeCheck:
    case kWebServer:
    case kFreeRotation:
    case kRotateRight:
    case kRotateLeft:
    case kFlipHorizontal:
    case kFlipVertical:
    case kBrightness:
    case kColorComponents:
    case kPenSizeMenu:
    case kScaleMenu:
    case kToleranceMenu:
    case kCopyPhoneImage:
        ui.enabled = state.hasOutput;
        break;
    case kAreaSelect:
    case kDotEdit:
        ui.enabled = state.hasOutput;
        ui.checked = state.mode == id;
        break;
    case kFitJSky:
    case kFitEZweb:
        // Checked while the live fit follows the selection for that carrier.
        ui.enabled = state.hasOutput;
        ui.checked = state.liveFit == id;
        break;
    case kResampleAuto:
    case kResampleClassic:
    case kResampleArea:
    case kResampleLanczos:
        ui.checked = state.resampling == id - kResampleAuto;
        break;
    case kAspectLock:
        // In area selection the source view answers; in dot editing the lock does nothing.
        ui.enabled = state.hasOutput;
        break;
    case kUndo:
        ui.enabled = state.undoAvailable;
        break;
    case kZoomIn:
    case kZoomOut:
        // The dot editor answers while it is shown.
        ui.enabled = false;
        break;
    case kToolBar:
        ui.checked = state.toolBarShown;
        break;
    case kStatusBar:
        ui.checked = state.statusBarShown;
        break;
    default:
        break;
    }
    return ui;
}
