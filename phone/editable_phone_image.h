// The phone image as the dot editor sees it: a working copy painted on in place, committed
// as one undo step, and the undo itself.
#pragma once

#include "image/dib.h"

class EditablePhoneImage {
public:
    // None before there is a phone image.
    virtual PackedDib* WorkingCopy() = 0;
    // The working copy becomes the base image; the one before it is kept for undo.
    virtual void CommitWorkingCopy() = 0;
    // Restores the previous base image; false when there is nothing to undo.
    virtual bool UndoBaseImage() = 0;
    virtual bool UndoAvailable() const = 0;

protected:
    ~EditablePhoneImage() = default;
};
